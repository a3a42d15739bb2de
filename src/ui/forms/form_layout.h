#pragma once

// Window layouts as data. Each window is one table of controls at fixed pixel geometry, from which
// form_builder.h creates the Qt widgets, and a table of anchors saying how they follow the window
// when it is made larger than that designed size. Texts here are UTF-8 (this folder is compiled as
// Qt-side code); names are the controls' objectNames.

#include <span>

#include "ui/modal_services.h"

namespace torvane::forms {

enum class Kind {
  kLabel,
  kDivider,    // a 2-pixel-high label drawn as a horizontal rule
  kLinkLabel,  // a label that reacts to a left click; its target is ControlSpec::target
  kButton,
  kFlatButton,
  kRadioButton,
  kGroupBox,
  kMultiLineEdit,
  kLineEdit,
  kComboBox,    // caption lists the items, separated by '|'
  kTabControl,  // caption lists the page captions, separated by '|'
  kPictureBox,
  kToolbar,
  kTree,
  kGrid,
  kSplitter,  // a vertical splitter bar with no action bound to it
};

// Properties a control is designed with; combine with '|'.
enum Flag : unsigned {
  kNone = 0,
  kHidden = 1u << 0,
  kReadOnly = 1u << 1,
  kVerticalScrollBar = 1u << 2,
  kIntegerInput = 1u << 3,
  kDecimalInput = 1u << 4,
  kChecked = 1u << 5,         // radio button
  kBold = 1u << 6,            // label
  kNotEditable = 1u << 7,     // grid
  kWholeRowSelect = 1u << 8,  // grid
  kSelectFirst = 1u << 9,     // combo box: item 0 selected
  kDialogFont = 1u << 10,     // the fixed 9-point dialog font (tab controls, the bold label)
  kImageList = 1u << 11,      // tree: draws from the shared image list
};

// A grid's designed shape.
struct GridDesign {
  int rows = 0;
  int columns = 0;
  int fixed_rows = 0;
  int fixed_columns = 0;
  int row_height = 0;
  int column_width = 0;
};

// One control. Geometry is in pixels of the container's client area; a control on a tab page is
// placed relative to the tab control's top-left corner, like a control in a group box.
struct ControlSpec {
  const char* name;
  Kind kind;
  const char* caption;
  int left, top, width, height;
  const char* container;  // nullptr: the window
  const char* page;       // caption of the tab page holding the control, or nullptr
  unsigned flags = kNone;
  GridDesign grid = {};
  const char* target = nullptr;  // link labels: the address opened on a click
};

// A file dialog control: no widget, only the settings the window facade keeps for the modal
// services.
struct FileDialogSpec {
  const char* name;
  FileDialogKind kind;
  const char* filter;             // "description|pattern|description|pattern"
  const char* default_extension;  // without the dot; "" for none
};

// A menu of the menu bar or a pop-up menu. A nullptr item is a separator line.
struct MenuSpec {
  const char* caption;
  std::span<const char* const> items;
  const char* spoken_name = nullptr;  // what a screen reader calls it; nullptr: the caption
};

// A toolbar position; a nullptr caption is a separator. image -1: no image.
struct ToolbarButtonSpec {
  const char* caption;
  int image;
  const char* menu_item = nullptr;  // caption of the menu item the button stands for; its name
};

// How assistive technology presents a control. A control the table does not list is named by its
// caption (without the "&" mnemonic marker); combo boxes, tab controls and captionless controls
// need an entry. Every control that takes input is named here or by its caption.
struct AccessSpec {
  const char* control;                // the control's name in the layout table
  const char* spoken_name = nullptr;  // nullptr: the caption, else the text of `label`
  const char* description = nullptr;  // a longer explanation, or nullptr
  // The label naming the control: it becomes the label's buddy, and without a spoken_name its text
  // (without the trailing colon) names the control.
  const char* label = nullptr;
};

// How a control follows its container when the window is made larger than its designed size.
// Each edge moves by its share, in percent, of the container's growth in that direction: 0 keeps
// the edge where the control table puts it, kFollows keeps its distance to the container's right
// or bottom edge, a share between the two splits the growth between neighbours. A control on a tab
// page follows its tab control. A control the anchor table does not list keeps its designed place
// and size, so at the designed size every control is exactly where the control table puts it.
struct AnchorSpec {
  const char* control;  // the control's name in the layout table
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The share of an edge that keeps its distance to the container's right or bottom edge.
inline constexpr int kFollows = 100;

// A window-wide key that chooses a menu item exactly as clicking it would.
struct ShortcutSpec {
  const char* keys;       // in QKeySequence's portable text form, for example "Ctrl+N"
  const char* menu_item;  // the item's caption
};

struct FormSpec {
  const char* name;   // the window's objectName
  const char* title;  // its designed title
  int left = 0;       // designed outer position; dialogs are centred over their owner instead
  int top = 0;
  int outer_width = 0;
  int outer_height = 0;
  bool has_menu_bar = false;
  std::span<const ControlSpec> controls = {};
  std::span<const FileDialogSpec> file_dialogs = {};
  std::span<const MenuSpec> menus = {};  // menu bar (main window) or pop-up menus (dialogs)
  std::span<const ToolbarButtonSpec> toolbar = {};  // positions of the one toolbar, if any
  std::span<const AccessSpec> access = {};          // names for assistive technology
  // Controls that take keyboard focus, by name, in the order Tab visits them. Tab pages' controls
  // follow their tab control; a control on a page that is not current is skipped while hidden.
  std::span<const char* const> tab_order = {};
  std::span<const ShortcutSpec> shortcuts = {};  // keys of the menu items users reach for most
  // How controls follow the window as it grows; the designed size is the window's smallest.
  std::span<const AnchorSpec> anchors = {};
};

// Window frame that the designed outer sizes include: the client area is this much smaller.
inline constexpr int kFrameWidth = 6;
inline constexpr int kFrameHeight = 29;  // title bar and frame
inline constexpr int kMenuBarHeight = 20;

// Designed client-area size of a form.
inline constexpr int ClientWidth(const FormSpec& form) { return form.outer_width - kFrameWidth; }
inline constexpr int ClientHeight(const FormSpec& form) {
  return form.outer_height - kFrameHeight - (form.has_menu_bar ? kMenuBarHeight : 0);
}

const FormSpec& MainForm();
const FormSpec& SqlForm();
const FormSpec& DesignerForm();
const FormSpec& InsertForm();

// Number of images in the image list shared by the toolbar and the trees, and their size.
inline constexpr int kImageCount = 147;
inline constexpr int kImageWidth = 16;
inline constexpr int kImageHeight = 15;

}  // namespace torvane::forms
