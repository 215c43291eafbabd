#include <QTest>
class ArchiveEngineTest : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(ArchiveEngineTest)
#include "ArchiveEngineTest.moc"
