#include "item_list_accessible.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QListView>
#include <QPointer>
#include <algorithm>
#include <unordered_map>

namespace verrimo {

namespace {

// Children a reader gets when it asks for all of them at once.
constexpr int kListedItems = 1000;

// One row of the list, made when a reader reaches it.
class ItemAccessible : public QAccessibleInterface {
  public:
    ItemAccessible(QListView* view, int row) : view_(view), row_(row) {}

    bool isValid() const override { return view_ && row_ < view_->model()->rowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(view_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) return QString();
        return Index().data(Qt::DisplayRole).toString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return QRect();
        const QRect shown = view_->visualRect(Index());
        return QRect(view_->viewport()->mapToGlobal(shown.topLeft()), shown.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) return state;
        state.selectable = true;
        state.focusable = true;
        state.selected = view_->selectionModel()->isSelected(Index());
        state.focused = view_->hasFocus() && view_->currentIndex() == Index();
        state.invisible = !view_->isVisible() ||
                          !view_->viewport()->rect().intersects(view_->visualRect(Index()));
        return state;
    }
    int Row() const { return row_; }

  private:
    QModelIndex Index() const { return view_->model()->index(row_, view_->modelColumn()); }

    QPointer<QListView> view_;
    int row_;
};

class ItemListAccessible : public QAccessibleWidget {
  public:
    explicit ItemListAccessible(QListView* view) : QAccessibleWidget(view, QAccessible::List) {
        // Rows shift or go when the list changes: their accessibles are made again.
        const QAbstractItemModel* model = view->model();
        const auto forget = [this] { Forget(); };
        QObject::connect(model, &QAbstractItemModel::modelReset, &connections_, forget);
        QObject::connect(model, &QAbstractItemModel::layoutChanged, &connections_, forget);
        QObject::connect(model, &QAbstractItemModel::rowsInserted, &connections_, forget);
        QObject::connect(model, &QAbstractItemModel::rowsRemoved, &connections_, forget);
        QObject::connect(model, &QAbstractItemModel::rowsMoved, &connections_, forget);
    }
    ~ItemListAccessible() override { Forget(); }

    int childCount() const override { return std::min(Rows(), kListedItems); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= Rows()) return nullptr;
        auto found = items_.find(index);
        if (found == items_.end()) {
            auto* item = new ItemAccessible(View(), index);
            found = items_.emplace(index, QAccessible::registerAccessibleInterface(item)).first;
        }
        return QAccessible::accessibleInterface(found->second);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* item = dynamic_cast<const ItemAccessible*>(child);
        return item && items_.count(item->Row()) ? item->Row() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = View()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = View()->indexAt(at);
        return index.isValid() ? child(index.row()) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const QModelIndex current = View()->currentIndex();
        return View()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
    }

  private:
    QListView* View() const { return static_cast<QListView*>(widget()); }
    int Rows() const { return View()->model()->rowCount(); }
    void Forget() {
        for (const auto& [row, id] : items_) QAccessible::deleteAccessibleInterface(id);
        items_.clear();
    }

    mutable std::unordered_map<int, QAccessible::Id> items_;
    QObject connections_;  // ends the model's connections with this accessible
};

QAccessibleInterface* itemListFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QComboBoxListView")) return nullptr;
    auto* view = qobject_cast<QListView*>(object);
    // The view sits in the combo box's popup frame.
    const QObject* frame = view ? view->parent() : nullptr;
    if (!frame || !qobject_cast<const QComboBox*>(frame->parent())) return nullptr;
    return new ItemListAccessible(view);
}

}  // namespace

void installItemListAccessibility() {
    static const bool installed = (QAccessible::installFactory(itemListFactory), true);
    (void)installed;
}

}  // namespace verrimo
