#include "gui/text_conversion.h"

#include <string>

#include "util/char_tables.h"
#include "util/pc_names.h"

namespace korvane::gui {

QString qt_text(std::string_view windows_text) {
    return QString::fromStdString(pc_name_to_utf8(windows_text, PcCharset::Windows));
}

std::string windows_text(const QString& text) { return pc_name_from_utf8(text.toStdString(), PcCharset::Windows).name; }

QString mac_name_text(std::string_view mac_name) { return qt_text(translated(mac_name, mac_to_ansi)); }

}  // namespace korvane::gui
