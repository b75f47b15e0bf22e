#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace nerimo {

// Text as a CSV field: on one line, quoted when it holds a comma or a quote, and text, never a
// formula, to a spreadsheet: text that begins as a formula would gets a "'" before it.
inline QByteArray CsvField(const QString& text) {
    QByteArray field = text.toUtf8();
    if (!field.isEmpty() && QByteArrayView("=+-@\t\r").contains(field.front())) {
        field.prepend('\'');
    }
    field.replace('\r', ' ').replace('\n', ' ');
    if (field.contains(',') || field.contains('"')) {
        field.replace("\"", "\"\"");
        field = '"' + field + '"';
    }
    return field;
}

}  // namespace nerimo
