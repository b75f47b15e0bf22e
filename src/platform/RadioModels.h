#pragma once

#include <QList>
#include <QString>

namespace nerimo::platform {

// A radio Hamlib drives, as RIG= names it.
struct RadioModel {
    int number = 0;
    QString name;  // "Icom IC-R8600"
};

// Every radio this Hamlib knows, its network client (rigctld's) first, then by name.
QList<RadioModel> RadioModels();

}  // namespace nerimo::platform
