#include "QtPlatform.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLayout>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QMessageBox>
#include <QSoundEffect>
#include <QStringList>
#include <QUrl>

#include "common/ProgramTexts.h"
#include "Controls.h"
#include "WindowHost.h"
#include "LoEingab.h"
#include "Scriptwahl.h"
#include "Zahlenwahl.h"


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

void QtPlatform::attachWindows(WindowHost* mainWindow, Zahlenwahl* numberList) {
    host_ = mainWindow;
    mainWindow_ = mainWindow ? mainWindow->hostWidget() : nullptr;
    numberList_ = numberList;
}

WindowHost* QtPlatform::host() const { return mainWindow_ ? host_ : nullptr; }

QWidget* QtPlatform::dialogParent() const {
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent && mainWindow_ && mainWindow_->isVisible())
        parent = mainWindow_;
    if (!parent)
        parent = QApplication::activeWindow();
    // A box opened at the end of a long command (an analysis, a download)
    // comes after changes the event loop has not painted yet: the window
    // behind it is laid out and painted first, not left half-painted.
    if (parent && parent->window()->isVisible()) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        parent->window()->repaint();
    }
    return parent;
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
    QInputDialog dlg(dialogParent());
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setWindowTitle(q(caption));
    dlg.setLabelText(q(prompt));
    dlg.setTextValue(q(defaultText));
    // The question often stands in the title alone (the body holds a short
    // heading): the box is wide enough for the whole title beside the
    // window manager's buttons.
    // The dialog's layout fixes its size to what the contents need, so the
    // input field asks for the room.
    int wanted = std::max(dlg.sizeHint().width(), titleBarWidth(q(caption), dlg.font()));
    if (const QScreen* screen = dlg.screen())
        wanted = std::min(wanted, screen->availableSize().width());
    if (auto* edit = dlg.findChild<QLineEdit*>()) {
        const QMargins m = dlg.layout() ? dlg.layout()->contentsMargins() : QMargins();
        edit->setMinimumWidth(wanted - m.left() - m.right());
    }
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.textValue().toStdString();
}

int titleBarWidth(const QString& title, const QFont& font) {
    // Title bars commonly draw a bold font somewhat larger than the dialog's,
    // beside an icon and three buttons.
    QFont titleFont(font);
    titleFont.setBold(true);
    if (titleFont.pixelSize() > 0)
        titleFont.setPixelSize(titleFont.pixelSize() * 5 / 4 + 1);
    else
        titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    constexpr int kIconAndButtons = 4 * 28 + 32;
    return QFontMetrics(titleFont).horizontalAdvance(title) + kIconAndButtons;
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
    TForm3* form = host() ? host()->drawingEntryDialog() : nullptr;
    if (!form)
        return std::nullopt;
    return form->edit(initial);
}

bool QtPlatform::askYesNo(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Question, q(title), q(text), QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<rz::ScriptChoice> QtPlatform::chooseScript(const rz::ScriptChoice& initial) {
    TQCSForm* form = host() ? host()->scriptChoiceDialog() : nullptr;
    if (!form)
        return std::nullopt;
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
    if (WindowHost* h = host())
        h->repaintFromModel();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtPlatform::setBusyCursor(bool busy) { setWaitCursor(busy); }
