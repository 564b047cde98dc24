#pragma once

// The boundary between the program's text and Qt's: the dialog handles its
// texts in the active code page (CString bytes), the widgets in QString.
// Every text that enters or leaves a widget passes through here.

#include <QString>

#include <string_view>

#include "morvash/platform/CString.h"

namespace tandrel::dialog {

/// Converts text in the active code page into a widget's text.
QString ToWidgetText(std::string_view text);

/// Converts a widget's text into the active code page.
CString FromWidgetText(const QString& text);

/// Converts a multi-line text in the active code page, whose lines end in
/// CR LF, into a widget's text whose lines end in LF.
QString ToWidgetLines(std::string_view text);

/// Converts a multi-line widget text into the active code page with CR LF line ends.
CString FromWidgetLines(const QString& text);

}  // namespace tandrel::dialog
