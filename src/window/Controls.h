#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "SurfaceWidget.h"

namespace nerimo {

// The window's controls, each at its fixed place, named by what it is (also as each widget's
// objectName).
struct Controls {
    QWidget* titleStrip;  // the black strip across the top, in place of a frame
    QLabel* iconImage;
    QLabel* titleLabel;
    QLabel* creditLabel;  // the credit line, while the pointer is over the title strip
    QPushButton* minimiseButton;
    QPushButton* closeButton;
    QPushButton* startButton;
    QPushButton* stopButton;
    QPushButton* continueButton;
    QLabel* clearAtStartCaption;
    QCheckBox* clearAtStartBox;
    QLabel* gridCaption;
    QCheckBox* gridBox;
    QWidget* modeGroup;
    QRadioButton* fmButton;
    QRadioButton* amButton;
    QWidget* spanGroup;
    QLabel* spanLabel;
    QRadioButton* span1Button;
    QRadioButton* span8Button;
    QLabel* statusLabel;                // "scan", "pause", "no receiver"
    QLabel* tunedLabel;                 // the frequency last sent, "MHz 145.1250"
    platform::SurfaceWidget* plotView;  // the plot
    platform::SurfaceWidget* scaleStrip;
    QLabel* startFrequencyLabel;
    QLabel* readoutLabel;  // the frequency under the pointer
    QLabel* endFrequencyLabel;
    QPushButton* plotMenuButton;  // the plot's menu, as a right click on the plot opens it
    QFrame* plotFocusRing;        // round the plot while the keys drive it
};

// Builds every control on the window at its pixel position, with its stored caption, colours,
// font, tab order and a tooltip that says what it does.
Controls BuildControls(QWidget* window);

}  // namespace nerimo
