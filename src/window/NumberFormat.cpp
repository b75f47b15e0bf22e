#include "NumberFormat.h"

#include <QLocale>

namespace nerimo {

QString FormatFixed4(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 4);
}

}  // namespace nerimo
