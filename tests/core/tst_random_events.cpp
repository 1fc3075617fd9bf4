#include "random_events.h"

#include <QTest>

using namespace morvik;
using namespace morvik::random_events;

Q_DECLARE_METATYPE(morvik::random_events::Fault)

// Random play: a short run of the long command, and the checker and the shrinking shown at work
// on planted faults.
class TestRandomEvents : public QObject {
    Q_OBJECT

private slots:
    void shortRunHoldsEveryInvariant();
    void keyboardPlayCompletesPictures();
    void aSeedPlaysTheSameEveryTime();
    void plantedFaultsAreFoundAndShrunk_data();
    void plantedFaultsAreFoundAndShrunk();
};

void TestRandomEvents::shortRunHoldsEveryInvariant()
{
    Stats total;
    for (std::uint64_t seed = 1; seed <= 24; ++seed) {
        const Outcome outcome = generate(seed, 2500);
        if (outcome.failure)
            QFAIL(report(seed, outcome).c_str());
        total += outcome.stats;
    }
    // The run reached what it is for: starts overtaken in their yields, yields within yields,
    // windows closed, pictures completed both ways, and from the keyboard too.
    QVERIFY(total.events >= 24 * 2500);
    QVERIFY(total.overtakenStarts > 0);
    QVERIFY(total.deepestYield >= 3);
    QVERIFY(total.windows > 24);
    QVERIFY(total.boardCompletions > 0);
    QVERIFY(total.cheatCompletions > 0);
    QVERIFY(total.cellClicks > 0);
    QVERIFY(total.nestedCellClicks > 0);
}

// Seeds 2, 5, 8... play from the keyboard, where walking the cursor to a cell takes many keys, so
// few of them complete a picture within a short run. Seed 50 does, within its first 2000 events;
// should a change to the drawing of events take that away, the long command run on one seed at a
// time (random_events --events 2500 --seeds 1 --first N) finds another.
void TestRandomEvents::keyboardPlayCompletesPictures()
{
    const Outcome outcome = generate(50, 2500);
    if (outcome.failure)
        QFAIL(report(50, outcome).c_str());
    QVERIFY(outcome.stats.keyboardCompletions > 0);
    QVERIFY(outcome.stats.deepestYield > 0);
}

void TestRandomEvents::aSeedPlaysTheSameEveryTime()
{
    const Outcome a = generate(77, 3000);
    const Outcome b = generate(77, 3000);
    QVERIFY(a.events == b.events);
    QCOMPARE(a.stats.gameStarts, b.stats.gameStarts);
    // The recorded events, bursts included, replay the same run.
    const Outcome again = replay(77, a.events);
    QVERIFY(!again.failure);
    QCOMPARE(again.stats.events, a.stats.events);
    QCOMPARE(again.stats.overtakenStarts, a.stats.overtakenStarts);
    QCOMPARE(again.stats.boardCompletions, a.stats.boardCompletions);
}

void TestRandomEvents::plantedFaultsAreFoundAndShrunk_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("shortest");  // 0: not fixed, but no event can be left out

    // A piece put on board cell 0 vanishes: choose assembly, pick a piece, put it there.
    QTest::newRow("lost piece") << Fault([](Module1 &s, Controls &k) {
        if (s.GameMode == 2 && !(k.Picture2[0].picture == k.Picture4))
            k.Picture2[0].picture = k.Picture4;
    }) << "a piece is lost, doubled, or shown where its number says another" << 3;
    // The picture after the first overflows: a game, then the typed word.
    QTest::newRow("picture number") << Fault([](Module1 &s, Controls &) {
        if (s.PictureNo == 1)
            s.PictureNo = 15;
    }) << "picture number 15 out of 0..14" << 6;
    // A tile left drawn in the first column when the blank gets there.
    QTest::newRow("tile left behind") << Fault([](Module1 &s, Controls &k) {
        if (s.GameMode == 1 && s.BlankX == 0)
            k.Picture1[s.Grid[1][s.BlankY]].left = trayLeft(0);
    }) << "grid, blank and tile positions disagree" << 0;
}

void TestRandomEvents::plantedFaultsAreFoundAndShrunk()
{
    QFETCH(Fault, fault);
    QFETCH(QString, what);
    QFETCH(int, shortest);

    std::uint64_t seed = 1;
    Outcome failed = generate(seed, 20000, fault);
    for (; !failed.failure && seed < 20; failed = generate(++seed, 20000, fault)) {
    }
    QVERIFY2(failed.failure, "no seed ran into the planted fault");
    QCOMPARE(QString::fromStdString(failed.failure->what), what);

    const std::vector<Event> list = random_events::shortest(seed, failed, fault);
    const Outcome again = replay(seed, list, fault);
    QVERIFY(again.failure);
    QCOMPARE(QString::fromStdString(again.failure->what), what);
    if (shortest)
        QCOMPARE(int(list.size()), shortest);
    for (std::size_t i = 0; i < list.size(); ++i) {
        std::vector<Event> fewer = list;
        fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
        const Outcome without = replay(seed, fewer, fault);
        QVERIFY2(!without.failure || without.failure->what != what.toStdString(),
                 qPrintable(QString("event %1 can be left out").arg(i + 1)));
    }
    // The report names the seed and lists the events.
    const std::string text = report(seed, failed, fault);
    QVERIFY(text.find("seed " + std::to_string(seed) + ": " + what.toStdString()) == 0);
    QVERIFY(text.find(describe(list.back())) != std::string::npos);
}

QTEST_GUILESS_MAIN(TestRandomEvents)
#include "tst_random_events.moc"
