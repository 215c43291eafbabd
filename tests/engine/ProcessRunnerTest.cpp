#include <QTest>
class ProcessRunnerTest : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(ProcessRunnerTest)
#include "ProcessRunnerTest.moc"
