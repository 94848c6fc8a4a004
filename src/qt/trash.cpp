#include "qt/trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "qt/qt_text.h"

namespace snapvale {

namespace {

// A file brought back from the trash leaves behind the record the trash keeps beside it, which
// file managers would list as a file gone missing.
QString TrashRecordOf(const QString& inTrash)
{
    const QFileInfo file(inTrash);
#ifdef Q_OS_WIN
    // The Recycle Bin keeps each file as $R... beside its record $I... of the same ending.
    if (!file.fileName().startsWith(QStringLiteral("$R")))
        return {};
    return file.dir().filePath(QStringLiteral("$I") + file.fileName().mid(2));
#else
    // A freedesktop trash keeps files/NAME and its record info/NAME.trashinfo.
    QDir trash = file.dir();
    if (trash.dirName() != QStringLiteral("files") || !trash.cdUp())
        return {};
    return trash.filePath(QStringLiteral("info/") + file.fileName() + QStringLiteral(".trashinfo"));
#endif
}

#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
// Whether a file Qt moved "to the trash" went to a freedesktop trash: files/ in
// $XDG_DATA_HOME/Trash, $topdir/.Trash-$uid or $topdir/.Trash/$uid. When Qt finds no trash at all
// it moves the file into files/ of the working folder instead, where no user would look for it.
bool InATrash(const QString& inTrash)
{
    QDir trash = QFileInfo(inTrash).dir();
    if (trash.dirName() != QStringLiteral("files") || !trash.cdUp()
        || QFileInfo(trash.absolutePath()) == QFileInfo(QDir::currentPath()))
        return false;
    const QString name = trash.dirName();
    if (name == QStringLiteral("Trash") || name.startsWith(QStringLiteral(".Trash-")))
        return true;
    return trash.cdUp() && trash.dirName() == QStringLiteral(".Trash");
}
#endif

} // namespace

Trash::Trash(FileSystem& fs)
    : fs_(fs)
{
}

Trash::Outcome Trash::MoveToTrash(const std::string& path)
{
    Outcome outcome{ Status::Done, path, {} };
    const WriteAccess access = fs_.AskWriteAccess(path);
    if (access == WriteAccess::Missing) {
        outcome.status = Status::Missing;
        return outcome;
    }
    // Removing the name takes a folder whose entries may change; a file marked read-only was
    // protected by its owner, who would not expect it to go with a key press.
    if (access == WriteAccess::ReadOnly
        || fs_.AskWriteAccess(FolderOf(path)) != WriteAccess::Writable) {
        outcome.status = Status::ReadOnly;
        return outcome;
    }
#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
    // The home trash is made in the user's data folder, which a new account may not have yet.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    const QDir working = QDir::current();
    const bool hadFiles = working.exists(QStringLiteral("files"));
    const bool hadInfo = working.exists(QStringLiteral("info"));
#endif
    QFile file(PathToQString(path));
    if (!file.moveToTrash()) {
        outcome.status = Status::NotTrashed;
        outcome.reason = file.errorString();
        return outcome;
    }
#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
    if (!InATrash(file.fileName())) {
        // Straight back, and the folders made for it gone again.
        std::string reason;
        const std::string strayPath = PathFromQString(file.fileName());
        if (fs_.RenameWithoutReplacing(strayPath, path, reason) == MoveStatus::Moved) {
            if (const QString record = TrashRecordOf(file.fileName()); !record.isEmpty())
                QFile::remove(record);
            if (!hadFiles)
                working.rmdir(QStringLiteral("files"));
            if (!hadInfo)
                working.rmdir(QStringLiteral("info"));
        } else {
            outcome.path = strayPath;
        }
        outcome.status = Status::NotTrashed;
        outcome.reason = QStringLiteral("ごみ箱が見つかりません");
        return outcome;
    }
#endif
    deleted_.push_back({ path, file.fileName() });
    return outcome;
}

Trash::Outcome Trash::UndoLast()
{
    if (deleted_.empty())
        return { Status::NothingToUndo, {}, {} };
    const Deleted last = std::move(deleted_.back());
    deleted_.pop_back();
    Outcome outcome{ Status::Done, last.path, {} };
    const std::string inTrash = PathFromQString(last.inTrash);
    if (fs_.AskWriteAccess(inTrash) == WriteAccess::Missing) {
        outcome.status = Status::GoneFromTrash;
        return outcome;
    }
    std::string reason;
    switch (fs_.RenameWithoutReplacing(inTrash, last.path, reason)) {
    case MoveStatus::Moved:
        if (const QString record = TrashRecordOf(last.inTrash); !record.isEmpty())
            fs_.Remove(PathFromQString(record));
        break;
    case MoveStatus::TargetExists:
        outcome.status = Status::NameTaken;
        break;
    case MoveStatus::Failed:
        outcome.status = Status::NotRestored;
        outcome.reason = TextToQString(reason);
        break;
    }
    return outcome;
}

QString TrashMessage(const Trash::Outcome& outcome)
{
    const QString name =
        QStringLiteral("「%1」").arg(QFileInfo(PathToQString(outcome.path)).fileName());
    const QString because =
        outcome.reason.isEmpty() ? QString() : QStringLiteral("（%1）").arg(outcome.reason);
    switch (outcome.status) {
    case Trash::Status::Done:
        return {};
    case Trash::Status::Missing:
        return name + QStringLiteral("はもうありません。");
    case Trash::Status::ReadOnly:
        return name + QStringLiteral("は読み取り専用のため、ごみ箱へ移動しませんでした。");
    case Trash::Status::NotTrashed:
        return name + QStringLiteral("をごみ箱へ移動できませんでした") + because
            + QStringLiteral("。ファイルはそのまま残っています。");
    case Trash::Status::NothingToUndo:
        return QStringLiteral("元に戻す削除はありません。");
    case Trash::Status::NameTaken:
        return QStringLiteral("同じ名前のファイルがあるため、") + name
            + QStringLiteral("を元に戻せませんでした。ファイルはごみ箱に残っています。");
    case Trash::Status::GoneFromTrash:
        return name + QStringLiteral("はごみ箱にもうないため、元に戻せませんでした。");
    case Trash::Status::NotRestored:
        return name + QStringLiteral("を元に戻せませんでした") + because
            + QStringLiteral("。ファイルはごみ箱に残っています。");
    }
    return {};
}

} // namespace snapvale
