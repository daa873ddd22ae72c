#include <QTest>
class TestStatusItem : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(TestStatusItem)
#include "tst_statusitem.moc"
