#include "application.h"
#include "media_player.h"
#include "real_window.h"

#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <memory>
#include <string>

using namespace morvik;
using morvik::test::RealWindow;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(std::string)

// The game started in folders of awkward names, with real media players on SDL's disk driver:
// every sound file is found and played, whatever bytes the folder's name holds.
class TestStartFolders : public QObject {
    Q_OBJECT

private slots:
    void everySoundPlays_data();
    void everySoundPlays();
};

namespace {

const char *const soundFiles[] = {"ST.Mid", "move.wav", "no.wav", "Yes.wav", "done.wav"};

// Starts the game with `folder` as the current folder, and goes back to where the test was.
std::unique_ptr<RealWindow> startIn(const fs::path &folder)
{
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    auto game = std::make_unique<RealWindow>();
    fs::current_path(before);
    return game;
}

// A folder `depth` bytes long at least, made of nested folders of 200-byte names.
fs::path deepFolder(fs::path folder, std::size_t depth)
{
    while (folder.native().size() < depth)
        folder /= std::string(200, 'd');
    fs::create_directories(folder);
    return folder;
}

}  // namespace

void TestStartFolders::everySoundPlays_data()
{
    QTest::addColumn<std::string>("name");
    QTest::addColumn<bool>("withFiles");

    QTest::newRow("spaces") << std::string("a folder with  spaces ") << true;
    QTest::newRow("quotes") << std::string("it's \"quoted\" `here`") << true;
    QTest::newRow("newline") << std::string("two\nlines") << true;
    QTest::newRow("backslash") << std::string("back\\slash") << true;
    QTest::newRow("not UTF-8") << std::string("p\xE8kn\xE9") << true;
    QTest::newRow("4000 bytes deep") << std::string() << true;
    // Without the files the game stays silent: what the other rows would show if a name were
    // changed on its way to the sound files.
    QTest::newRow("no sound files") << std::string("empty") << false;
}

void TestStartFolders::everySoundPlays()
{
    QFETCH(std::string, name);
    QFETCH(bool, withFiles);

    QTemporaryDir base;
    QVERIFY(base.isValid());
    fs::path folder = fs::path(base.path().toStdString());
    if (name.empty()) {
        folder = deepFolder(folder, 4000);
    } else {
        folder /= name;
        fs::create_directory(folder);
    }
    if (withFiles)
        for (const char *file : soundFiles)
            fs::copy_file(fs::path(MORVIK_SOUND_DIR) / file, folder / file);

    const auto game = startIn(folder);
    QCOMPARE(game->form.state.AppDir, folder.native());

    // The song, then each cue on the effect player: each counts the milliseconds it has played.
    if (withFiles) {
        QTRY_VERIFY(game->MCIWnd2.position() > 0);
    } else {
        QTest::qWait(200);
        QCOMPARE(game->MCIWnd2.position(), 0);
    }
    for (Cue cue : {Cue::Move, Cue::PickAndPut, Cue::CorrectPiece, Cue::Completion}) {
        game->form.sound.play(cue);
        if (withFiles) {
            QTRY_VERIFY(game->MCIWnd1.position() > 0);
        } else {
            QTest::qWait(100);
            QCOMPARE(game->MCIWnd1.position(), 0);
        }
    }
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    TestStartFolders test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_start_folders.moc"
