// A window unloaded while one of its handlers waits in a yield: it stays whole
// until no handler runs, the paused handler stops, input no longer reaches it,
// and the next access makes a new window.
#include "app/form.h"
#include "platform/handlers.h"
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {
struct Log {
    int loads = 0, closings = 0, keys = 0, went_on = 0, stopped = 0;
    bool whole_after_yields = false;
};

// What runs while a handler yields.
std::function<void()> g_during;

// Yields as a send does: whatever was posted runs now.
void yield_with(std::function<void()> action) {
    if (action) QMetaObject::invokeMethod(qApp, std::move(action), Qt::QueuedConnection);
    QCoreApplication::processEvents();
}

template <class Self> class Probe_Base : public QWidget, public Form<Self> {
  public:
    inline static Log log;

    void Form_Load() { ++log.loads; }
    void Form_QueryUnload() { ++log.closings; }
    static void Unload() { Form<Self>::Unload_Instance(&Self::Form_QueryUnload); }

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        ++log.keys;
        if (e->key() == Qt::Key_Escape) return this->Unload_Form(&Self::Form_QueryUnload);
        const QPointer<QWidget> self(this);
        yield_with(std::exchange(g_during, {}));
        // A deletion left to the event loop would come in the next yield.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        log.whole_after_yields = !self.isNull();
        if (Handler_Stopped()) {
            ++log.stopped;
            return;
        }
        ++log.went_on;
    }
    void closeEvent(QCloseEvent* e) override {
        this->Unload_Form(&Self::Form_QueryUnload);
        e->accept();
    }
};

class Probe : public Probe_Base<Probe> {};
class Other : public Probe_Base<Other> {};

class HandlersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Probe::log = {};
        Other::log = {};
    }
    void TearDown() override {
        g_during = {};
        Probe::Destroy_Instance();
        Other::Destroy_Instance();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static QPointer<Probe> Shown() {
        Probe& w = Probe::get();
        w.resize(40, 40);
        w.show();
        return &w;
    }
};
} // namespace

TEST_F(HandlersTest, UnloadedInsideAYieldOfItsOwnHandler) {
    struct Row {
        const char* what;
        std::function<void(Probe&)> during;
        bool stops;
    };
    const Row rows[] = {
        {"unloaded from outside", [](Probe&) { Probe::Unload(); }, true},
        {"its own close", [](Probe& w) { w.close(); }, true},
        {"its own Escape, a handler inside the paused one",
         [](Probe& w) { QTest::keyClick(&w, Qt::Key_Escape); }, true},
        {"another window unloaded", [](Probe&) { Other::Unload(); }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        Other::get();
        const QPointer<Probe> w = Shown();
        g_during = [w, &row] { row.during(*w); };
        QTest::keyClick(w, Qt::Key_A);
        EXPECT_TRUE(Probe::log.whole_after_yields);
        EXPECT_EQ(Probe::log.stopped, row.stops ? 1 : 0);
        EXPECT_EQ(Probe::log.went_on, row.stops ? 0 : 1);
        if (!row.stops) {
            EXPECT_TRUE(Probe::loaded());
            TearDown();
            continue;
        }
        EXPECT_EQ(Probe::log.closings, 1);
        EXPECT_FALSE(Probe::loaded());
        // Hidden at once, destroyed when the event loop turns again.
        ASSERT_FALSE(w.isNull());
        EXPECT_TRUE(w->isHidden());
        // Input for the window that went is not handled.
        const int keys = Probe::log.keys;
        QTest::keyClick(w, Qt::Key_B);
        EXPECT_EQ(Probe::log.keys, keys);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(w.isNull());
        // The next access makes a new window.
        Probe& again = Probe::get();
        EXPECT_EQ(Probe::log.loads, 2);
        EXPECT_FALSE(again.Unloaded());
        TearDown();
    }
}
