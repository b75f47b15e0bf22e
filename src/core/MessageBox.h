#pragma once

#include <QString>

namespace nerimo {

// Messages to the user, with an OK button only, no icon, the program's title as caption. Each also
// goes to standard error as one line.
class MessageBox {
  public:
    virtual ~MessageBox() = default;
    // Modal: returns once the user has closed it.
    virtual void Show(const QString& text) = 0;
    // Returns at once; the box stays until the user closes it. For what happens while a sweep
    // runs, which must not wait for the user.
    virtual void Notify(const QString& text) = 0;
};

}  // namespace nerimo
