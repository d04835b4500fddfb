// The page viewer's window on a real display: the embedded browser must not rebuild it.
#include <QTest>
#include <QWindow>

#include "Unit2.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

class ViewerSurfaceTest : public WindowTest {
    Q_OBJECT

    void extract() { QTest::mouseClick(form2->Button2, Qt::LeftButton); }

  private slots:
    void init() { startProgram(); }
    void cleanup() { endProgram(); }

    // The browser's surface exists from the start: the first page shown neither rebuilds the
    // window nor moves it.
    void firstLoadKeepsTheWindow() {
        QVERIFY(QTest::qWaitForWindowExposed(form2));
        const WId before = form2->winId();
        form2->move(200, 150);
        QTest::qWait(500);
        const QPoint place = form2->pos();
        QWindow* native = form2->windowHandle();
        form2->Memo1->SetText(std::string("<p>hello</p>"));
        extract();
        QVERIFY(browserShows(form2->CppWebBrowser1, "hello"));
        QCOMPARE(form2->winId(), before);
        QCOMPARE(form2->windowHandle(), native);
        QCOMPARE(form2->pos(), place);
    }
};

int main(int argc, char** argv) {
    return runWindowTest<ViewerSurfaceTest>(argc, argv);
}
#include "viewer_surface_test.moc"
