// Exporting the level image, opening a dropped ROM, and where the ROM as it was is kept.

#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QUrl>

#include "editortestsupport.h"

namespace orvex::test {

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What `orvex-tool render ROM 1 OUT --plane PLANE` writes.
QByteArray toolPicture(const EditorFixture& f, const QString& plane) {
    const QString out = f.folder.filePath("tool-" + plane + ".png");
    QProcess tool;
    tool.start(ORVEX_TOOL_PATH, {"render", f.romPath, "1", out, "--plane", plane});
    if (!tool.waitForFinished(120000) || tool.exitCode() != 0) {
        qWarning("orvex-tool: %s", tool.readAllStandardError().constData());
        return {};
    }
    return contents(out);
}

QByteArray romImage() {
    const auto& image = demoRom().image;
    return {reinterpret_cast<const char*>(image.data()), qsizetype(image.size())};
}

// Drags `urls` onto the window and drops them; whether the window took the drag.
bool dropOn(EditorFixture& f, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = f.window->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.window.get(), &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.window.get(), &drop);
    QCoreApplication::processEvents();  // the drop opens the file once it has ended
    return drop.isAccepted();
}

QString note(const EditorFixture& f) {
    return f.child<QLabel>("StatusNote")->text();
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void exportWritesTheFileTheToolWrites() {
        EditorFixture f;
        QVERIFY(f.exposed);
        f.menu("MenuExport");  // no level: no dialog
        QCOMPARE(f.dialogs->fileDialogs, 0);
        f.open(false);
        const QString foreground = f.folder.filePath("foreground.png");
        const QString background = f.folder.filePath("background.png");
        f.dialogs->imageFiles = {foreground, background};
        f.menu("MenuExport");
        QCOMPARE(contents(foreground), toolPicture(f, "fg"));
        QVERIFY(!contents(foreground).isEmpty());
        f.menu("MenuBackground");
        f.menu("MenuExport");
        QCOMPARE(contents(background), toolPicture(f, "bg"));
        f.menu("MenuExport");  // Cancel: nothing written
        QCOMPARE(f.dialogs->fileDialogs, 4);

        f.setOrigin(0, 0);
        f.place((f.layout()[128] + 1) % 256, 0);  // the export takes the layout as edited
        const QString edited = f.folder.filePath("edited.png");
        f.dialogs->imageFiles = {edited};
        f.menu("MenuExport");
        QVERIFY(!contents(edited).isEmpty() && contents(edited) != contents(background));
        QVERIFY(f.dialogs->messages.isEmpty());
    }

    void aDroppedRomOpensAfterTheQuestionAboutEdits() {
        EditorFixture f;
        QVERIFY(f.exposed);
        const QString other = f.folder.filePath("other.bin");
        QVERIFY(QFile::copy(f.romPath, other));
        f.open(false);
        f.setOrigin(0, 0);
        f.place((f.layout()[0] + 1) % 256, 0);
        const std::vector<std::uint8_t> edited = f.layout();

        QVERIFY(!dropOn(f, {QUrl::fromLocalFile(other), QUrl::fromLocalFile(f.romPath)}));
        QVERIFY(!dropOn(f, {QUrl("https://example.org/rom.bin")}));
        f.dialogs->yesNoCancel = {EditorDialogs::Answer::Cancel};
        QVERIFY(dropOn(f, {QUrl::fromLocalFile(other)}));
        QCOMPARE(f.dialogs->questions.last().text, QString("Save changes to level 1?"));
        QCOMPARE(f.layout(), edited);
        QCOMPARE(f.window->session().rom().romPath().string(), f.romPath.toStdString());
        QCOMPARE(f.window->undoStack().count(), 1);

        f.dialogs->yesNoCancel = {EditorDialogs::Answer::No};
        f.dialogs->yesNo = {false};  // the migration prompt
        QVERIFY(dropOn(f, {QUrl::fromLocalFile(other)}));
        QCOMPARE(f.window->session().rom().romPath().string(), other.toStdString());
        QCOMPARE(f.dialogs->questions.last().title,
                 QString::fromUtf8(kMigrationTitle.data(), kMigrationTitle.size()));
        QCOMPARE(f.layout(), demoRom().layoutData[0]);
        QCOMPARE(f.window->undoStack().count(), 0);
    }

    void theBackupIsNamedAfterAMigration() {
        EditorFixture f;
        QVERIFY(f.exposed);
        f.open(true);
        const QString backup = f.romPath + ".bak";
        QCOMPARE(
            f.dialogs->messages,
            QStringList("Orvex: The layouts have been migrated. The ROM as it was is kept in " +
                        backup + "."));
        QCOMPARE(contents(backup), romImage());
        f.setOrigin(0, 0);
        f.place((f.layout()[0] + 1) % 256, 0);
        f.menu("MenuSave");  // the backup was made before the migration: none now
        QCOMPARE(note(f), QString("Level 1 saved."));
        QCOMPARE(contents(backup), romImage());
    }

    void theBackupIsNamedAfterTheFirstSave() {
        EditorFixture f;
        QVERIFY(f.exposed);
        f.open(false);
        const QString backup = f.romPath + ".bak";
        QVERIFY(!QFile::exists(backup));
        f.setOrigin(0, 0);
        f.place((f.layout()[0] + 1) % 256, 0);
        f.menu("MenuSave");
        QCOMPARE(note(f), QString("Level 1 saved; the ROM as it was is kept as demo.bin.bak"));
        QCOMPARE(f.child<QLabel>("StatusNote")->toolTip(), backup);
        QCOMPARE(contents(backup), romImage());
        f.place((f.layout()[1] + 1) % 256, 1);
        f.menu("MenuSave");
        QCOMPARE(note(f), QString("Level 1 saved."));
        QCOMPARE(contents(backup), romImage());
        QVERIFY(f.dialogs->messages.isEmpty());
    }
};

int runFileCommandsTest(int argc, char** argv) {
    FileCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "filecommands_test.moc"
