#pragma once

// The boundary between the program's text and Qt's: the dialog handles its
// texts in the active code page (CString bytes), the widgets in QString, the
// output edit in UTF-8 bytes. Every text that enters or leaves a widget
// passes through here.

#include <QString>

#include <string>
#include <string_view>

#include "morvash/platform/CString.h"

namespace tandrel::dialog {

/// Converts text in the active code page into a widget's text.
QString ToWidgetText(std::string_view text);

/// Converts a widget's text into the active code page.
CString FromWidgetText(const QString& text);

/// Returns text in the active code page as the output edit's UTF-8: a view of
/// `text` itself when it is valid UTF-8 already, else of `storage`, which
/// receives the conversion. Bytes that are no UTF-8 become U+FFFD, as in a QString.
std::string_view ToWidgetUtf8(std::string_view text, std::string& storage);

/// Converts the output edit's UTF-8 text into the active code page.
CString FromWidgetUtf8(std::string_view utf8);

}  // namespace tandrel::dialog
