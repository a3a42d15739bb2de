// TreeView: a one-column QTreeWidget addressed by pre-order item indexes.
#include <QAbstractItemModel>
#include <QIcon>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "ui/controls.h"
#include "ui/image_list_qt.h"
#include "ui/qt_support.h"

namespace torvane {
namespace {

constexpr int kDataRole = Qt::UserRole;       // the item's data (its kind for the schema tree)
constexpr int kImageRole = Qt::UserRole + 1;  // the image index as given (-1: image 0)

// Index of `item` in pre-order; -1 for no item or one that is not in the tree.
int IndexOf(QTreeWidget* tree, bool& stale, std::vector<QTreeWidgetItem*>& order,
            const QTreeWidgetItem* item);

}  // namespace

struct TreeView::Impl {
  // Items in pre-order, kept in step with the widget by every operation of this class; rebuilt
  // from the widget when something else changed it.
  std::vector<QTreeWidgetItem*> order;
  bool stale = true;
  bool building = false;
  // The item last reported as selected, to raise the event only on a real change.
  QTreeWidgetItem* reported = nullptr;
  bool silent = false;
  ImageList images;
  // Raised whenever items go: an item held across a call that may run the program's handlers is
  // used afterwards only when this has not changed.
  std::uint64_t removals = 0;
};

TreeView::TreeView(QWidget* tree) : Control(tree), impl_(std::make_unique<Impl>()) {
  auto* t = qobject_cast<QTreeWidget*>(tree);
  if (!t) return;
  t->setSelectionMode(QAbstractItemView::SingleSelection);
  QAbstractItemModel* model = t->model();
  auto mark_stale = [this] {
    if (!impl_->building) impl_->stale = true;
  };
  QObject::connect(model, &QAbstractItemModel::rowsInserted, hook(), mark_stale);
  QObject::connect(model, &QAbstractItemModel::rowsRemoved, hook(), mark_stale);
  QObject::connect(model, &QAbstractItemModel::rowsMoved, hook(), mark_stale);
  QObject::connect(model, &QAbstractItemModel::modelReset, hook(), mark_stale);
  auto note_removal = [this] { ++impl_->removals; };
  QObject::connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, hook(), note_removal);
  QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, hook(), note_removal);

  QObject::connect(t, &QTreeWidget::itemSelectionChanged, hook(), [this, t] {
    if (impl_->silent) return;
    const QList<QTreeWidgetItem*> selected = t->selectedItems();
    QTreeWidgetItem* now = selected.isEmpty() ? nullptr : selected.front();
    if (!now && impl_->reported && IndexOf(t, impl_->stale, impl_->order, impl_->reported) >= 0) {
      // Only the program clears the selection; a click on empty space or a Ctrl+click by the
      // user leaves the item selected.
      impl_->silent = true;
      t->setCurrentItem(impl_->reported);
      impl_->reported->setSelected(true);
      impl_->silent = false;
      return;
    }
    if (now == impl_->reported) return;
    impl_->reported = now;
    if (on_selection_changed) on_selection_changed();
  });
  QObject::connect(t, &QTreeWidget::itemDoubleClicked, hook(), [this](QTreeWidgetItem*, int) {
    if (on_item_double_clicked) on_item_double_clicked();
  });

  // The item under the mouse is selected (raising its selection event) before the right-button
  // event; a press on empty space raises nothing.
  auto* filter = new EventHook(
      [this, t](QObject*, QEvent* event) {
        if (event->type() != QEvent::MouseButtonPress) return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton) return false;
        QTreeWidgetItem* item = t->itemAt(mouse->position().toPoint());
        if (!item) return true;
        t->setCurrentItem(item);
        if (on_right_pressed) on_right_pressed();
        return true;
      },
      hook());
  t->viewport()->installEventFilter(filter);
}
TreeView::~TreeView() = default;

namespace {

QTreeWidget* AsTree(QWidget* w) { return qobject_cast<QTreeWidget*>(w); }

void RebuildOrder(QTreeWidget* tree, std::vector<QTreeWidgetItem*>& order) {
  order.clear();
  for (QTreeWidgetItemIterator it(tree); *it; ++it) order.push_back(*it);
}

int SubtreeSize(const QTreeWidgetItem* item) {
  int size = 1;
  for (int i = 0; i < item->childCount(); ++i) size += SubtreeSize(item->child(i));
  return size;
}

// The items in pre-order, rebuilt first when they are stale.
std::vector<QTreeWidgetItem*>& Order(QTreeWidget* tree, bool& stale,
                                     std::vector<QTreeWidgetItem*>& order) {
  if (stale) {
    RebuildOrder(tree, order);
    stale = false;
  }
  return order;
}

QTreeWidgetItem* ItemAt(QTreeWidget* tree, bool& stale, std::vector<QTreeWidgetItem*>& order,
                        int index) {
  if (!tree) return nullptr;
  std::vector<QTreeWidgetItem*>& items = Order(tree, stale, order);
  return index >= 0 && index < static_cast<int>(items.size()) ? items[index] : nullptr;
}

int IndexOf(QTreeWidget* tree, bool& stale, std::vector<QTreeWidgetItem*>& order,
            const QTreeWidgetItem* item) {
  if (!tree || !item) return -1;
  std::vector<QTreeWidgetItem*>& items = Order(tree, stale, order);
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == item) return static_cast<int>(i);
  }
  return -1;
}

void ApplyIcon(QTreeWidgetItem* item, const QList<QPixmap>& pixmaps) {
  int image = item->data(0, kImageRole).toInt();
  if (image < 0) image = 0;
  item->setIcon(0, image < pixmaps.size() ? QIcon(pixmaps.at(image)) : QIcon());
}

QTreeWidgetItem* MakeItem(const TreeItem& source, const QList<QPixmap>& pixmaps) {
  auto* item = new QTreeWidgetItem(QStringList(ToQt(source.text)));
  item->setData(0, kDataRole, source.data);
  item->setData(0, kImageRole, source.image);
  ApplyIcon(item, pixmaps);
  for (const TreeItem& child : source.children) item->addChild(MakeItem(child, pixmaps));
  return item;
}

TreeItem CopyItem(const QTreeWidgetItem* item) {
  TreeItem copy;
  copy.text = FromQt(item->text(0));
  copy.data = item->data(0, kDataRole).toInt();
  copy.image = item->data(0, kImageRole).toInt();
  for (int i = 0; i < item->childCount(); ++i) copy.children.push_back(CopyItem(item->child(i)));
  return copy;
}

}  // namespace

void TreeView::Clear() { SetItems({}); }

int TreeView::AddItem(int parent, const std::string& text, int image, int data) {
  QTreeWidget* tree = AsTree(widget());
  if (!tree) return -1;
  QTreeWidgetItem* parent_item = nullptr;
  if (parent != -1) {
    parent_item = ItemAt(tree, impl_->stale, impl_->order, parent);
    if (!parent_item) return -1;
  }
  std::vector<QTreeWidgetItem*>& order = Order(tree, impl_->stale, impl_->order);
  // The new last child comes right after the parent's whole subtree; a top-level item at the end.
  const int index =
      parent_item ? parent + SubtreeSize(parent_item) : static_cast<int>(order.size());
  auto* item = new QTreeWidgetItem(QStringList(ToQt(text)));
  item->setData(0, kDataRole, data);
  item->setData(0, kImageRole, image);
  ApplyIcon(item, ImageListPixmaps(impl_->images));
  impl_->building = true;
  if (parent_item) {
    parent_item->addChild(item);
  } else {
    tree->addTopLevelItem(item);
  }
  impl_->building = false;
  order.insert(order.begin() + index, item);
  return index;
}

int TreeView::ItemCount() const {
  QTreeWidget* tree = AsTree(widget());
  return tree ? static_cast<int>(Order(tree, impl_->stale, impl_->order).size()) : 0;
}

std::string TreeView::ItemText(int index) const {
  QTreeWidgetItem* item = ItemAt(AsTree(widget()), impl_->stale, impl_->order, index);
  return item ? FromQt(item->text(0)) : "";
}

int TreeView::ItemData(int index) const {
  QTreeWidgetItem* item = ItemAt(AsTree(widget()), impl_->stale, impl_->order, index);
  return item ? item->data(0, kDataRole).toInt() : 0;
}

int TreeView::ParentIndex(int index) const {
  QTreeWidget* tree = AsTree(widget());
  QTreeWidgetItem* item = ItemAt(tree, impl_->stale, impl_->order, index);
  return item ? IndexOf(tree, impl_->stale, impl_->order, item->parent()) : -1;
}

void TreeView::Expand(int index) {
  if (QTreeWidgetItem* item = ItemAt(AsTree(widget()), impl_->stale, impl_->order, index))
    item->setExpanded(true);
}

bool TreeView::IsExpanded(int index) const {
  QTreeWidgetItem* item = ItemAt(AsTree(widget()), impl_->stale, impl_->order, index);
  return item && item->isExpanded();
}

int TreeView::SelectedIndex() const {
  QTreeWidget* tree = AsTree(widget());
  if (!tree) return -1;
  const QList<QTreeWidgetItem*> selected = tree->selectedItems();
  return selected.isEmpty() ? -1 : IndexOf(tree, impl_->stale, impl_->order, selected.front());
}

void TreeView::SetSelectedIndex(int index) {
  QTreeWidget* tree = AsTree(widget());
  if (!tree) return;
  QTreeWidgetItem* item = ItemAt(tree, impl_->stale, impl_->order, index);
  if (!item) {
    impl_->silent = true;
    tree->clearSelection();
    tree->setCurrentItem(nullptr);
    impl_->silent = false;
    impl_->reported = nullptr;
    return;
  }
  // The selection signal raises the event when the item differs from the one reported last. Its
  // handler may build the tree anew, which deletes `item`: the new tree's selection stands then.
  const std::uint64_t removals = impl_->removals;
  tree->setCurrentItem(item);
  if (impl_->removals != removals) return;
  item->setSelected(true);
  tree->scrollToItem(item);
}

ImageList TreeView::GetImageList() const { return impl_->images; }

void TreeView::SetImageList(const ImageList& images) {
  impl_->images = images;
  QTreeWidget* tree = AsTree(widget());
  if (!tree) return;
  if (images.Count() > 0) tree->setIconSize(QSize(images.Width(), images.Height()));
  const QList<QPixmap>& pixmaps = ImageListPixmaps(images);
  for (QTreeWidgetItem* item : Order(tree, impl_->stale, impl_->order)) ApplyIcon(item, pixmaps);
}

TreeItems TreeView::Items() const {
  TreeItems items;
  QTreeWidget* tree = AsTree(widget());
  if (!tree) return items;
  for (int i = 0; i < tree->topLevelItemCount(); ++i)
    items.push_back(CopyItem(tree->topLevelItem(i)));
  return items;
}

void TreeView::SetItems(const TreeItems& items) {
  QTreeWidget* tree = AsTree(widget());
  if (!tree) return;
  impl_->silent = true;
  tree->clearSelection();
  tree->setCurrentItem(nullptr);
  tree->clear();
  const QList<QPixmap>& pixmaps = ImageListPixmaps(impl_->images);
  QList<QTreeWidgetItem*> top;
  for (const TreeItem& item : items) top.append(MakeItem(item, pixmaps));
  tree->addTopLevelItems(top);
  impl_->silent = false;
  impl_->reported = nullptr;
  impl_->stale = true;
}

}  // namespace torvane
