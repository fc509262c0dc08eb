#include "QtPlatform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QProcess>
#include <QMessageBox>
#include <QSoundEffect>
#include <QStringList>
#include <QUrl>

#include "common/ProgramTexts.h"
#include "DarovAduzez.h"
#include "LoEingab.h"
#include "Scriptwahl.h"
#include "Zahlenwahl.h"

namespace {


bool waitCursorShown = false;

} // namespace

void setWaitCursor(bool busy) {
    if (busy == waitCursorShown)
        return;
    waitCursorShown = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

QString qtFileFilter(const std::string& filter) {
    const QStringList parts = q(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns.simplified());
    }
    if (out.isEmpty() && !filter.empty())
        out << q(filter); // already in Qt's form
    return out.join(QStringLiteral(";;"));
}

QtPlatform::QtPlatform(QObject* parent) : QObject(parent) {}

QtPlatform::~QtPlatform() = default;

rz::Services QtPlatform::services() {
    rz::Services s;
    s.dialogs = this;
    s.shell = this;
    s.sound = this;
    s.events = this;
    s.clock = &clock_;
    s.processes = this;
    s.credentials = &credentials_;
    s.machineSettings = &machineSettings_;
    return s;
}

bool QtPlatform::start(const std::string& program, const std::vector<std::string>& arguments) {
    QStringList args;
    for (const auto& a : arguments)
        args << q(a);
    return QProcess::startDetached(q(program), args);
}

void QtPlatform::attachWindows(TForm1* mainWindow, Zahlenwahl* numberList) {
    mainWindow_ = mainWindow;
    numberList_ = numberList;
}

QWidget* QtPlatform::dialogParent() const {
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    if (mainWindow_ && mainWindow_->isVisible())
        return mainWindow_;
    return QApplication::activeWindow();
}

void QtPlatform::message(const std::string& text) {
    // A message during a long run must not leave the wait cursor over the box.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), q(text), QMessageBox::Ok, dialogParent());
    box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
}

bool QtPlatform::question(const std::string& text) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(kAppTitle), q(text),
                    QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtPlatform::inputText(const std::string& caption, const std::string& prompt,
                                                 const std::string& defaultText) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(dialogParent(), q(caption), q(prompt), QLineEdit::Normal, q(defaultText), &ok);
    if (!ok)
        return std::nullopt;
    return answer.toStdString();
}

namespace {

std::optional<std::string> runFileDialog(QWidget* parent, const rz::FileDialogRequest& r, bool save) {
    QFileDialog dlg(parent, QString::fromStdString(rz::txt(save ? rz::Txt::DialogSaveAs : rz::Txt::DialogOpen)));
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QString filter = qtFileFilter(r.filter);
    if (!filter.isEmpty())
        dlg.setNameFilter(filter);
    if (!r.defaultExt.empty())
        dlg.setDefaultSuffix(q(r.defaultExt));
    if (!r.initialDir.empty())
        dlg.setDirectory(q(r.initialDir));
    if (!r.suggestedName.empty())
        dlg.selectFile(q(r.suggestedName));
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dlg.selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(files.first()).toStdString();
}

} // namespace

std::optional<std::string> QtPlatform::openFile(const rz::FileDialogRequest& request) {
    return runFileDialog(dialogParent(), request, false);
}

std::optional<std::string> QtPlatform::saveFile(const rz::FileDialogRequest& request) {
    return runFileDialog(dialogParent(), request, true);
}

rz::ModalResult QtPlatform::showNumberList() {
    if (!numberList_)
        return rz::ModalResult::Abort;
    return numberList_->showModalList();
}

std::optional<rz::DrawingEntry> QtPlatform::enterDrawing(const rz::DrawingEntry& initial) {
    if (!mainWindow_ || !mainWindow_->form3())
        return std::nullopt;
    return mainWindow_->form3()->edit(initial);
}

bool QtPlatform::askYesNo(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Question, q(title), q(text), QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<rz::ScriptChoice> QtPlatform::chooseScript(const rz::ScriptChoice& initial) {
    if (!mainWindow_ || !mainWindow_->qcsForm())
        return std::nullopt;
    TQCSForm* form = mainWindow_->qcsForm();
    if (!form->openFile)
        form->openFile = [this](const rz::FileDialogRequest& r) { return openFile(r); };
    return form->choose(initial);
}

bool QtPlatform::open(const std::string& addressOrPath) {
    const QString text = q(addressOrPath).trimmed();
    if (text.isEmpty())
        return false;
    QUrl url;
    if (QDir::isAbsolutePath(text) || QFileInfo::exists(text))
        url = QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
    else
        url = QUrl::fromUserInput(text); // "https://..." stays, "www.x" gets http://
    return QDesktopServices::openUrl(url);
}

void QtPlatform::play(const std::string& path) {
    if (!sound_)
        sound_ = new QSoundEffect(this);
    // A later start replaces the sound that is still playing.
    sound_->stop();
    const QUrl url = QUrl::fromLocalFile(q(path));
    if (sound_->source() != url)
        sound_->setSource(url);
    sound_->play();
}

void QtPlatform::processPendingEvents() {
    if (mainWindow_)
        mainWindow_->refreshFromModel();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtPlatform::setBusyCursor(bool busy) { setWaitCursor(busy); }
