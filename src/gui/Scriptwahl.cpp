#include "Scriptwahl.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "Controls.h"

namespace {

QLineEdit* parameterField(QWidget* parent, const char* name, const QString& hint) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    setHint(e, hint);
    nameByHint(e);
    ControlRegistry::of(e).add(e, ControlKind::Edit);
    return e;
}

} // namespace

TQCSForm::TQCSForm(QWidget* parent) : QDialog(parent) {
    // The registry of the window this is made in (made alone: one of its own).
    ControlRegistry& controls = ControlRegistry::of(this);
    const WindowScope scope(controls, QStringLiteral("QCSForm"));
    setObjectName(QStringLiteral("TQCSForm"));
    controls.add(this, ControlKind::Window);
    setWindowTitle(QStringLiteral("Script für Zahlenübergabe auswählen!"));
    setModal(true);

    auto* v = new QVBoxLayout(this);
    QLabel* scriptLabel = plainLabel(this, "LabelScript", QStringLiteral("Quendrals Click-Script File"));
    v->addWidget(scriptLabel);
    auto* scriptRow = new QHBoxLayout;
    script_ = new QComboBox(this);
    script_->setObjectName(QStringLiteral("ComboBox1"));
    script_->setEditable(true);
    script_->setInsertPolicy(QComboBox::NoInsert);
    script_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    script_->setMinimumContentsLength(40);
    controls.add(script_, ControlKind::Edit);
    scriptLabel->setBuddy(script_);
    // The combo box's editor is what a screen reader meets.
    controls.nameBy(script_->lineEdit(), [scriptLabel] { return spokenCaption(scriptLabel->text()); });
    QToolButton* search =
        speedButton(this, "ScriptButton", QStringLiteral("…"), QStringLiteral("Click-Script-Datei auswählen"));
    nameByHint(search);
    connect(search, &QToolButton::clicked, this, &TQCSForm::browse);
    scriptRow->addWidget(script_, 1);
    scriptRow->addWidget(search);
    v->addLayout(scriptRow);

    v->addWidget(plainLabel(this, "LabelParameter", QStringLiteral("Parameter ")));
    auto* params = new QGridLayout;
    zahl1_ = parameterField(this, "ZAHL1", QStringLiteral("Erster Zahlenparameter für das Script"));
    text1_ = parameterField(this, "TEXT1", QStringLiteral("Anmeldename beim Lotterieportal"));
    zahl2_ = parameterField(this, "ZAHL2", QStringLiteral("Zweiter Zahlenparameter für das Script"));
    text2_ = parameterField(this, "TEXT2", QStringLiteral("Passwort beim Lotterieportal"));
    for (QLineEdit* number : {zahl1_, zahl2_}) {
        number->setValidator(new QIntValidator(number));
        number->setMaximumWidth(number->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    }
    // The portal password is never shown.
    text2_->setEchoMode(QLineEdit::Password);
    // The designed contents; the stored values replace them before each show.
    zahl1_->setText(QStringLiteral("0"));
    zahl2_->setText(QStringLiteral("0"));
    text1_->setText(QStringLiteral("Login"));
    params->addWidget(zahl1_, 0, 0);
    params->addWidget(text1_, 0, 1);
    params->addWidget(zahl2_, 1, 0);
    params->addWidget(text2_, 1, 1);
    params->setColumnStretch(1, 1);
    v->addLayout(params);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    controls.add(ok, ControlKind::BitBtn);
    auto* cancel =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Abbrechen"), this);
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    cancel->setAutoDefault(false);
    controls.add(cancel, ControlKind::BitBtn);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    v->addLayout(buttons);
}

rz::ScriptChoice TQCSForm::choice() const {
    rz::ScriptChoice c;
    c.script = script_->currentText().toStdString();
    c.zahl1 = zahl1_->text().toStdString();
    c.text1 = text1_->text().toStdString();
    c.zahl2 = zahl2_->text().toStdString();
    c.text2 = text2_->text().toStdString();
    for (int i = 0; i < script_->count(); ++i)
        c.scripts.push_back(script_->itemText(i).toStdString());
    c.scriptFolder = scriptFolder_;
    return c;
}

void TQCSForm::setChoice(const rz::ScriptChoice& c) {
    scriptFolder_ = c.scriptFolder;
    script_->clear();
    for (const std::string& s : c.scripts)
        script_->addItem(q(s));
    script_->setCurrentText(q(c.script));
    zahl1_->setText(q(c.zahl1));
    text1_->setText(q(c.text1));
    zahl2_->setText(q(c.zahl2));
    text2_->setText(q(c.text2));
}

std::optional<rz::ScriptChoice> TQCSForm::choose(const rz::ScriptChoice& initial) {
    setChoice(initial);
    script_->setFocus();
    const bool accepted = exec() == QDialog::Accepted;
    rz::ScriptChoice c = choice();
    // The password leaves the dialog with the choice; the field is cleared.
    text2_->clear();
    if (!accepted)
        return std::nullopt;
    if (c.zahl1.empty())
        c.zahl1 = "0";
    if (c.zahl2.empty())
        c.zahl2 = "0";
    return c;
}

void TQCSForm::browse() {
    if (!openFile)
        return;
    rz::FileDialogRequest req;
    req.filter = "Quendrals Click Script|*.qcs";
    req.defaultExt = "QCS";
    req.initialDir = scriptFolder_;
    if (const auto file = openFile(req))
        script_->setCurrentText(q(*file));
}
