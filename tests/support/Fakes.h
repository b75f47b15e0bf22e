#pragma once

#include <QMap>
#include <QStringList>

#include "FileAccess.h"
#include "MessageBox.h"
#include "Panel.h"
#include "Program.h"

namespace nerimo::testing {

// A settings file in memory.
class FakeFileAccess : public platform::FileAccess {
  public:
    platform::FileRead next{platform::FileRead::Outcome::Created, {}, {}};
    QStringList pathsRead;

    platform::FileRead ReadOrCreate(const QString& path) override {
        pathsRead << path;
        return next;
    }
};

class FakeProgram : public platform::Program {
  public:
    bool anotherInstance = false;
    int endCalls = 0;

    QString Folder() const override { return QStringLiteral("/opt/nerimo"); }
    bool AnotherInstanceRunning() override { return anotherInstance; }
    void EndNow() override { ++endCalls; }
};

class FakeMessageBox : public platform::MessageBox {
  public:
    QStringList shown;
    void Show(const QString& text) override { shown << text; }
};

// Remembers what the settings reader and the sweep did to the controls.
class RecordingPanel : public Panel {
  public:
    QStringList calls;
    int selectedMode = 0;
    int selectedSpan = 0;
    QMap<int, int16_t> checks;

    void SelectOption(int option) override {
        calls << QStringLiteral("SelectOption %1").arg(option);
        (option <= 2 ? selectedMode : selectedSpan) = option;
    }
    bool OptionSelected(int option) const override {
        return selectedMode == option || selectedSpan == option;
    }
    void SetCheckValue(int check, int16_t value) override {
        calls << QStringLiteral("SetCheckValue %1 %2").arg(check).arg(value);
        checks[check] = value;
    }
    int16_t CheckValue(int check) const override { return checks.value(check, 0); }
    void ShapeSurfaces(int16_t width, int16_t height) override {
        calls << QStringLiteral("ShapeSurfaces %1 %2").arg(width).arg(height);
    }
    void SetScaleLabels(const QString& start, const QString& end) override {
        calls << QStringLiteral("SetScaleLabels %1 %2").arg(start, end);
    }
    void SetCheckCaptions(const QString& clear, const QString& grid) override {
        calls << QStringLiteral("SetCheckCaptions %1|%2").arg(clear, grid);
    }
    void ShowStart(bool shown) override { calls << QStringLiteral("ShowStart %1").arg(shown); }
    void EnableChoices(bool enabled) override {
        calls << QStringLiteral("EnableChoices %1").arg(enabled);
    }
    void SetStatus(const QColor& color, const QString& text) override {
        calls << QStringLiteral("SetStatus %1 %2").arg(color.name(), text);
    }
    void ClearStatus() override { calls << QStringLiteral("ClearStatus"); }
    void SetTunedText(const QString& text) override {
        calls << QStringLiteral("SetTunedText %1").arg(text);
    }
    void SetContinueOffered(bool offered) override {
        calls << QStringLiteral("SetContinueOffered %1").arg(offered);
    }
};

}  // namespace nerimo::testing
