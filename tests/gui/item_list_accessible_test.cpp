// What a screen reader is given of a combo box's item list: however long the list, a reader
// asking for all its children gets at most the first thousand, and any item it reaches by its
// row still reads as that item.
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QTest>

#include "controls.h"

using namespace verrimo;

namespace {

std::vector<std::string> numberedItems(int count, const std::string& prefix) {
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) items.push_back(prefix + std::to_string(i));
    return items;
}

QAccessibleInterface* itemList(TComboBox& box) {
    return QAccessible::queryAccessibleInterface(&box)->child(0);
}

}  // namespace

class ItemListAccessibleTest : public QObject {
    Q_OBJECT

  private slots:
    void listsAtMostAThousandChildren_data() {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("children");
        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("short") << 3 << 3;
        QTest::newRow("a thousand") << 1000 << 1000;
        QTest::newRow("a page's targets") << 300000 << 1000;
    }

    void listsAtMostAThousandChildren() {
        QFETCH(int, items);
        QFETCH(int, children);
        TComboBox box("box", nullptr);
        box.SetItems(numberedItems(items, "item "));
        QAccessibleInterface* list = itemList(box);
        QCOMPARE(list->role(), QAccessible::List);
        QCOMPARE(list->childCount(), children);
        QCOMPARE(list->child(items), nullptr);
        if (items == 0) return;
        QAccessibleInterface* last = list->child(items - 1);
        QCOMPARE(last->text(QAccessible::Name), QString("item %1").arg(items - 1));
        QCOMPARE(last->role(), QAccessible::ListItem);
        QCOMPARE(list->indexOfChild(last), items - 1);
        QCOMPARE(last->parent(), list);
    }

    // Items read after the list was replaced are the new ones; the old accessibles are gone.
    void newItemsReplaceTheOld() {
        TComboBox box("box", nullptr);
        box.SetItems(numberedItems(5000, "old "));
        QAccessibleInterface* list = itemList(box);
        const QAccessible::Id old = QAccessible::uniqueId(list->child(4000));
        box.SetItems(numberedItems(5000, "new "));
        QCOMPARE(QAccessible::accessibleInterface(old), nullptr);
        QCOMPARE(list->child(4000)->text(QAccessible::Name), QString("new 4000"));
        std::vector<std::string> longer = numberedItems(5000, "new ");
        longer.push_back("added");
        box.SetItems(longer);
        QCOMPARE(list->child(5000)->text(QAccessible::Name), QString("added"));
    }

    // The item the open list's cursor is on is the list's focus, wherever it is in the list.
    void aReaderFollowsTheFocusThroughTheOpenList() {
        QWidget window;
        auto* box = new TComboBox("box", &window);
        box->SetItems(numberedItems(3000, "item "));
        window.show();
        box->setCurrentIndex(2500);
        box->showPopup();
        QVERIFY(QTest::qWaitForWindowExposed(box->view()->window()));
        QAccessibleInterface* focused = itemList(*box)->focusChild();
        QVERIFY(focused);
        QCOMPARE(focused->text(QAccessible::Name), QString("item 2500"));
        QVERIFY(focused->state().focused);
        QVERIFY(focused->state().selected);

        // The key moves the cursor; the focus a reader asks for moves with it.
        QTest::keyClick(box->view(), Qt::Key_Down);
        QCOMPARE(itemList(*box)->focusChild()->text(QAccessible::Name), QString("item 2501"));
        box->hidePopup();
    }
};

QTEST_MAIN(ItemListAccessibleTest)
#include "item_list_accessible_test.moc"
