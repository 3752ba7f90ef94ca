#pragma once
// Korvane's texts are held in the Windows character set (names shown, the
// status line, messages); Qt wants Unicode.

#include <string_view>

#include <QString>

namespace korvane::gui {

// A text in the Windows character set as Qt shows it.
QString qt_text(std::string_view windows_text);
// A typed text back in the Windows character set.
std::string windows_text(const QString& text);
// A name in the Macintosh character set as shown (through the Windows one).
QString mac_name_text(std::string_view mac_name);

}  // namespace korvane::gui
