#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "SurfaceWidget.h"

namespace nerimo {

// The window's controls, each at its fixed place, named as everywhere in the program (also as
// each widget's objectName).
struct Controls {
    QWidget* Frame1;  // title strip
    QLabel* Image1;
    QLabel* Label4;         // title
    QLabel* Label3;         // credit line
    QPushButton* Command1;  // minimise
    QPushButton* Command2;  // close
    QPushButton* Command8;  // start
    QPushButton* Command9;  // stop
    QPushButton* Command3;  // continue
    QLabel* Label7;
    QCheckBox* Check1;  // "Clear at start"
    QLabel* Label8;
    QCheckBox* Check2;      // "Grid"
    QWidget* Frame2;        // mode group
    QRadioButton* Option1;  // FM
    QRadioButton* Option2;  // AM
    QWidget* Frame3;        // span group
    QLabel* Label1;
    QRadioButton* Option3;              // 1 MHz
    QRadioButton* Option4;              // 8 MHz
    QLabel* Label15;                    // sweep status
    QLabel* Label16;                    // tuned frequency
    platform::SurfaceWidget* Picture1;  // plot
    platform::SurfaceWidget* Picture4;  // scale strip
    QLabel* Label5;                     // start frequency
    QLabel* Label9;                     // frequency under the pointer
    QLabel* Label6;                     // end frequency
};

// Builds every control on the window at its pixel position, with its stored caption, colours,
// font and tab order.
Controls BuildControls(QWidget* form);

}  // namespace nerimo
