#pragma once

// Makes the Qt widget that stands for one control of a dialog template:
//
//   EDITTEXT             QLineEdit, or with ES_MULTILINE an OutputEdit that
//                        does not wrap (ES_AUTOHSCROLL), shows its vertical
//                        scroll bar with WS_VSCROLL, takes Enter as a line
//                        break (ES_WANTRETURN) and leaves Tab to the dialog
//                        with ES_NUMBER a QSpinBox over the control's range
//   PUSHBUTTON           QPushButton that is never the default by itself
//   DEFPUSHBUTTON        QPushButton that is the dialog's default
//   AUTOCHECKBOX         QCheckBox
//   AUTORADIOBUTTON      QRadioButton; the radio buttons of one dialog are one group
//   COMBOBOX             QComboBox, a drop-down list of the control's items
//   GROUPBOX             QGroupBox used as a frame only (the controls inside
//                        stay the dialog's children, as in a template)
//   LTEXT                QLabel, left-aligned plain text that wraps; unless
//                        SS_NOPREFIX, "&" marks its mnemonic, which CDialog
//                        makes focus the next control
//   ICON                 QLabel showing the icon at 32 x 32 pixels
//
// The widget is placed at the template rectangle converted to pixels, named
// after the control (objectName) and carries its id in the property "controlId".
// A button's mnemonic (Alt and the letter after "&") presses it at once, as
// in a Windows dialog, so that a key typed next finds a box already ticked.

#include "tandrel/dialog/DialogTemplate.h"
#include "tandrel/dialog/DialogUnits.h"

class QWidget;

namespace tandrel::dialog {

/// Creates the widget for `control` as a child of `parent`; null for an unknown kind.
QWidget* CreateControl(const ControlTemplate& control, QWidget* parent, const DialogUnits& units);

}  // namespace tandrel::dialog
