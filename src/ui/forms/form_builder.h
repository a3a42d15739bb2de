#pragma once

// Creates a window's Qt widgets from its layout table (form_layout.h).

#include <QList>
#include <QPixmap>
#include <QString>

#include "ui/forms/form_layout.h"

class QWidget;
class QFont;

namespace torvane::forms {

// Dynamic property holding a link label's address (a QString).
inline constexpr char kTargetProperty[] = "torvaneTarget";

// Creates the top-level window of `form` with all its controls, menus and toolbar, hidden and at
// its designed size, which is also its smallest; made larger (or maximized) its controls follow the
// form's anchors. A QMainWindow when the form has a menu bar, a QDialog otherwise (owned by `owner`
// when one is given, else by the caller). `images` are the pictures of the image list, drawn on
// the toolbar buttons that have one; the trees get theirs from the window facade. Every widget's
// objectName is its name in the layout table; menus and menu items are named by their captions.
// Input kinds, the grids' fixed rows and columns and the image lists are set by the contract
// wrappers (form_controls.h).
QWidget* CreateWindow(const FormSpec& form, const QList<QPixmap>& images, QWidget* owner = nullptr);

// The fixed 9-point dialog font of the tab controls and the bold label. Its first families are
// the classic Chinese dialog font; where that is missing the installed CJK font serves.
QFont DialogFont();

// QString from a UTF-8 literal of a layout table.
inline QString Utf8(const char* text) { return QString::fromUtf8(text ? text : ""); }

}  // namespace torvane::forms
