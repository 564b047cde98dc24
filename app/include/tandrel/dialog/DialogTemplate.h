#pragma once

// Dialog templates kept as data. Each dialog of the program is a JSON file in
// app/res, embedded as the Qt resource ":/tandrel/dialog/<id>.json":
//
//     { "id": 100, "name": "IDD_ABOUTBOX", "caption": "...",
//       "style": ["WS_POPUP", "WS_CAPTION", "WS_SYSMENU", "DS_MODALFRAME"],
//       "exStyle": [], "font": { "face": "ＭＳ Ｐゴシック", "points": 9 },
//       "size": [235, 59],
//       "controls": [ { "id": 1, "name": "IDOK", "kind": "DEFPUSHBUTTON",
//                       "style": ["WS_TABSTOP"], "rect": [178, 7, 50, 14], "text": "OK" } ] }
//
// Sizes and rectangles are in dialog units; the controls are listed in tab
// order. A dialog with WS_THICKFRAME can be resized, its template's size being
// the smallest; a control's optional "layout": [moveX, moveY, sizeX, sizeY]
// says which share (in percent) of the growth beyond that size moves the
// control and widens or heightens it ([100, 0, 0, 0] keeps it at the right
// edge, [0, 0, 100, 100] grows it both ways); without one it keeps its place. Kinds are the
// resource-script statements EDITTEXT, PUSHBUTTON, DEFPUSHBUTTON, AUTOCHECKBOX, AUTORADIOBUTTON,
// COMBOBOX, GROUPBOX, LTEXT and ICON (whose "icon" names the icon resource). What a resource
// script leaves to code is data here: a drop-down list's "items", and the "range": [min, max] of
// a number edit (EDITTEXT with ES_NUMBER), which comes with its up-down arrows. CDialog builds
// its widgets from a loaded template.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tandrel::dialog {

/// A rectangle in dialog units: left, top, width, height.
struct DialogRect {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    friend bool operator==(const DialogRect&, const DialogRect&) = default;
};

/// How a control follows a resizable dialog's growth, in percent of it.
struct ControlLayout {
    int moveX = 0;
    int moveY = 0;
    int sizeX = 0;
    int sizeY = 0;
    friend bool operator==(const ControlLayout&, const ControlLayout&) = default;
};

/// One control of a dialog template.
struct ControlTemplate {
    int id = -1;
    QString name;
    QString kind;
    QStringList style;
    DialogRect rect;
    QString text;
    int icon = 0;  ///< the icon resource of an ICON control
    ControlLayout layout;
    QStringList items;  ///< the entries of a COMBOBOX, in order
    int minimum = 0;    ///< the smallest number of an ES_NUMBER edit
    int maximum = 0;    ///< the largest number of an ES_NUMBER edit

    /// Tells whether the control carries the style `name`.
    bool HasStyle(const QString& name) const { return style.contains(name); }
};

/// A whole dialog template: frame, font and controls in tab order.
struct DialogTemplate {
    int id = 0;
    QString name;
    QString caption;
    QStringList style;
    QStringList exStyle;
    QString fontFace;
    int fontPoints = 0;
    int cx = 0;
    int cy = 0;
    std::vector<ControlTemplate> controls;

    /// Tells whether the dialog carries the style (or extended style) `name`.
    bool HasStyle(const QString& name) const {
        return style.contains(name) || exStyle.contains(name);
    }

    /// Parses a template from its JSON text; nothing when it is malformed.
    static std::optional<DialogTemplate> FromJson(const QByteArray& json);
    /// Loads the embedded template with resource id `id`; nothing when there is none.
    static std::optional<DialogTemplate> Load(int id);
};

}  // namespace tandrel::dialog
