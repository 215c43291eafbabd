#pragma once
// Shared by the window tests: lookups of the window's parts by object name.

#include "../TestSupport.h"
#include "ui/CorvexController.h"
#include "ui/EntryTableModel.h"
#include "platform/FakeDesktop.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTableView>
#include <QThreadPool>

#define UI_WAIT_FOR_STATUS(controller, text) QTRY_COMPARE_WITH_TIMEOUT(ui_test::statusText(controller), text, 30000)

namespace ui_test {

using namespace test_support;

template <typename T>
T *part(const CorvexController &controller, const char *name) { return controller.window()->findChild<T *>(QLatin1String(name)); }

inline QString statusText(const CorvexController &c) { return part<QLabel>(c, "statusLabel")->text(); }
inline QTableView *table(const CorvexController &c) { return part<QTableView>(c, "entryTable"); }
inline int rowCount(const CorvexController &c) { return table(c)->model()->rowCount(); }
inline QString cell(const CorvexController &c, int row, int column) { return table(c)->model()->index(row, column).data().toString(); }

inline void click(const CorvexController &c, const char *buttonName) { part<QAbstractButton>(c, buttonName)->click(); }

// Everything still running on the pool has finished and posted its result.
inline void drainWork()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
}

inline void load(CorvexController &c, const QString &archive, const QString &status)
{
    c.loadArchive(archive);
    UI_WAIT_FOR_STATUS(c, status);
}

} // namespace ui_test
