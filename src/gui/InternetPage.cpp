// The "Internet-Optionen" tab: proxy and the program's web pages.
#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "Controls.h"
#include "InternetPage.h"
#include "PageFrame.h"
#include "app/MainModel.h"


namespace {

// Texts of the program's own web pages.
const char* const kUpdatePage = "https://www.ruvuzevodare.example/update";
const char* const kDrawingsPage = "https://www.ruvuzevodare.example/ziehungen";
const char* const kOtherProductPage = "https://www.quendral.example/produkte";

} // namespace

// ------------------------------------------------------------ internet page

InternetPage::InternetPage(rz::MainModel& model, PageFrame& frame, QWidget* parent)
    : QWidget(parent), model_(model), frame_(frame) {
    // The window's registry; the page is made before it is placed in the
    // window, so the controls made below it find the registry through it.
    ControlRegistry& controls = frame.controls();
    controls.serve(this);
    QWidget* page = this;
    page->setObjectName(QStringLiteral("TabSheet3"));
    controls.add(page, ControlKind::TabSheet);
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(10, 10, 10, 10);
    v->setSpacing(6);

    auto* proxy = new QGridLayout;
    proxy->setHorizontalSpacing(6);
    proxyHost_ = new QLineEdit(page);
    proxyHost_->setObjectName(QStringLiteral("ProxyHostEdit"));
    controls.add(proxyHost_, ControlKind::Edit);
    proxyPort_ = new QLineEdit(page);
    proxyPort_->setObjectName(QStringLiteral("ProxyPortEdit"));
    controls.add(proxyPort_, ControlKind::Edit);
    proxyPort_->setMaximumWidth(proxyPort_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    connect(proxyHost_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.ProxyHost = t.toStdString(); });
    connect(proxyPort_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.ProxyPort = t.toStdString(); });
    QLabel* hostLabel = plainLabel(page, "Label58", QStringLiteral("Proxy-Server:"));
    hostLabel->setBuddy(proxyHost_);
    proxy->addWidget(hostLabel, 0, 0);
    proxy->addWidget(proxyHost_, 0, 1);
    QLabel* portLabel = plainLabel(page, "Label59", QStringLiteral("Port:"));
    portLabel->setBuddy(proxyPort_);
    proxy->addWidget(portLabel, 1, 0);
    proxy->addWidget(proxyPort_, 1, 1, Qt::AlignLeft);
    // The data server: a server answering the drawing request, or a CSV export.
    serverEdit_ = new QLineEdit(page);
    serverEdit_->setObjectName(QStringLiteral("ServerEdit"));
    controls.add(serverEdit_, ControlKind::Edit);
    setHint(serverEdit_, QStringLiteral("Adresse des Datenservers (http://host:port)"));
    connect(serverEdit_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.ServerAddress = t.trimmed().toStdString(); });
    QLabel* serverLabel = plainLabel(page, "LabelServer", QStringLiteral("Datenserver:"));
    serverLabel->setBuddy(serverEdit_);
    proxy->addWidget(serverLabel, 2, 0);
    proxy->addWidget(serverEdit_, 2, 1);
    proxy->setColumnStretch(1, 1);
    v->addLayout(proxy);
    v->addSpacing(12);

    auto link = [this, page, &controls](const char* name, const char* address) {
        auto* l = new ClickLabel(QString::fromUtf8(address), page);
        l->setObjectName(QLatin1String(name));
        controls.add(l, ControlKind::Label);
        l->setTextFormat(Qt::PlainText);
        l->setCursor(Qt::PointingHandCursor);
        l->setKeyboardReachable(true);
        QFont f;
        f.setUnderline(true);
        l->setFont(f);
        setRole(l, QPalette::WindowText, QColor(0, 0, 255));
        connect(l, &ClickLabel::clicked, this, [this, l] {
            const std::string address = l->text().toStdString();
            frame_.command([this, address] { model_.openInShell(address); });
        });
        return l;
    };
    v->addWidget(plainLabel(page, "Label55", QStringLiteral("Updates und die neueste Version gibt es bei:")));
    v->addWidget(link("Label52", kUpdatePage));
    v->addSpacing(8);
    v->addWidget(plainLabel(page, "Label56", QStringLiteral("Die aktuellen Ziehungen und Quoten finden unter:")));
    v->addWidget(link("Label53", kDrawingsPage));
    v->addSpacing(8);
    v->addWidget(link("Label54", kOtherProductPage));
    v->addStretch(1);
}

void InternetPage::syncFromModel() {
    if (proxyHost_->text() != q(model_.ProxyHost))
        proxyHost_->setText(q(model_.ProxyHost));
    if (proxyPort_->text() != q(model_.ProxyPort))
        proxyPort_->setText(q(model_.ProxyPort));
    // The address being typed stays as typed; the model has it already.
    if (!serverEdit_->hasFocus() && serverEdit_->text() != q(model_.ServerAddress))
        serverEdit_->setText(q(model_.ServerAddress));
}
