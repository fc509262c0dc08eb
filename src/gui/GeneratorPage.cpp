#include "GeneratorPage.h"

#include "Controls.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>
#include <vector>

#include "app/MainModel.h"

using rz::Gs;
using rz::GsKind;
using rz::GeneratorSettings;

namespace {

QString qs(const char* s) { return QString::fromUtf8(s); }

// A caption whose runs of three or more blanks are gaps for other widgets:
// "Tipp darf noch keinen              er aus der Datenbank entsprechen" reads
// as one sentence with a spin field in the gap. Gaps beyond the widgets stay
// blank; widgets beyond the gaps follow the text.
class GapLine {
public:
    struct Piece {
        QString text;
        QRect rect;
    };

    QList<QWidget*> widgets;

    static bool hasGap(const QString& text) { return text.contains(QStringLiteral("   ")); }

    int rowHeight(const QFontMetrics& fm) const {
        int h = fm.height();
        for (QWidget* w : widgets)
            h = std::max(h, w->sizeHint().height());
        return h;
    }

    // Lays the text out from x0 in a row of the given height; moves the gap
    // widgets when `move` is set. Returns the right edge.
    int layout(const QString& text, const QFontMetrics& fm, int x0, int height, std::vector<Piece>* pieces,
               bool move) const {
        static const QRegularExpression kGap(QStringLiteral(" {3,}"));
        int x = x0;
        int next = 0; // next gap widget
        auto put = [&](QWidget* w) {
            x += kPad;
            const QSize s = w->sizeHint();
            if (move) {
                const QRect r(x, (height - s.height()) / 2, s.width(), s.height());
                if (w->geometry() != r)
                    w->setGeometry(r);
            }
            x += s.width() + kPad;
        };
        auto text_ = [&](const QString& t) {
            if (t.isEmpty())
                return;
            const int w = fm.horizontalAdvance(t);
            if (pieces)
                pieces->push_back({t, QRect(x, 0, w, height)});
            x += w;
        };
        int from = 0;
        auto it = kGap.globalMatch(text);
        while (it.hasNext()) {
            const auto m = it.next();
            text_(text.mid(from, m.capturedStart() - from));
            if (next < widgets.size())
                put(widgets[next++]);
            else
                x += fm.horizontalAdvance(m.captured());
            from = m.capturedEnd();
        }
        text_(text.mid(from));
        while (next < widgets.size())
            put(widgets[next++]);
        return x;
    }

private:
    static constexpr int kPad = 3;
};

// A check box whose caption has gaps holding spin fields.
class SentenceCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

    void addGapWidget(QWidget* w) {
        w->setParent(this);
        line_.widgets.append(w);
        updateGeometry();
        update();
    }

    QSize sizeHint() const override {
        const int h = std::max(line_.rowHeight(fontMetrics()), indicatorRect(QRect(0, 0, 100, 100)).height());
        return QSize(line_.layout(text(), fontMetrics(), textStart(), h, nullptr, false) + 2, h + 2);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

    void resizeEvent(QResizeEvent* e) override {
        QCheckBox::resizeEvent(e);
        line_.layout(text(), fontMetrics(), textStart(), height(), nullptr, true);
    }

    void paintEvent(QPaintEvent*) override {
        std::vector<GapLine::Piece> pieces;
        line_.layout(text(), fontMetrics(), textStart(), height(), &pieces, true);
        QStylePainter p(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        QStyleOptionButton ind = opt;
        ind.rect = indicatorRect(rect());
        p.drawPrimitive(QStyle::PE_IndicatorCheckBox, ind);
        for (const auto& piece : pieces)
            style()->drawItemText(&p, piece.rect, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), piece.text,
                                  QPalette::WindowText);
        if (hasFocus() && !pieces.empty()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = pieces.front().rect.adjusted(-1, 1, 1, -1);
            p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }

private:
    QRect indicatorRect(const QRect& r) const {
        QStyleOptionButton opt;
        initStyleOption(&opt);
        opt.rect = r;
        return style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, this);
    }
    int textStart() const {
        return indicatorRect(rect()).right() + 1 + style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
    }

    GapLine line_;
};

// A label whose text has gaps holding spin fields.
class SentenceLabel : public QLabel {
public:
    using QLabel::QLabel;

    void addGapWidget(QWidget* w) {
        w->setParent(this);
        line_.widgets.append(w);
        updateGeometry();
        update();
    }

    QSize sizeHint() const override {
        const int h = line_.rowHeight(fontMetrics());
        const QMargins m = contentsMargins();
        return QSize(line_.layout(text(), fontMetrics(), m.left(), h, nullptr, false) + m.right() + 2,
                     h + m.top() + m.bottom() + 2);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent* e) override {
        QLabel::resizeEvent(e);
        line_.layout(text(), fontMetrics(), contentsMargins().left(), height(), nullptr, true);
    }

    void paintEvent(QPaintEvent*) override {
        std::vector<GapLine::Piece> pieces;
        line_.layout(text(), fontMetrics(), contentsMargins().left(), height(), &pieces, true);
        QPainter p(this);
        for (const auto& piece : pieces)
            style()->drawItemText(&p, piece.rect, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), piece.text,
                                  foregroundRole());
    }

private:
    GapLine line_;
};

QLabel* header(ControlRegistry& controls, const QString& text, const QString& name) {
    auto* l = new QLabel(text);
    l->setObjectName(name);
    controls.add(l, ControlKind::Label);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setWordWrap(true);
    return l;
}

QLabel* plain(ControlRegistry& controls, const QString& text, const QString& name = {}) {
    auto* l = new QLabel(text);
    if (!name.isEmpty()) {
        l->setObjectName(name);
        controls.add(l, ControlKind::Label);
    }
    return l;
}

std::size_t idx(Gs f) { return static_cast<std::size_t>(f); }

// A number field without a label of its own is named after the sentence it
// stands in or beside (a check box's caption, a label's text), in the
// language shown.
void nameAfter(ControlRegistry& controls, QWidget* cell, QWidget* source) {
    QList<QSpinBox*> fields = cell->findChildren<QSpinBox*>();
    if (auto* own = qobject_cast<QSpinBox*>(cell))
        fields.prepend(own);
    for (QSpinBox* field : fields) {
        if (!field->accessibleName().isEmpty())
            continue;
        controls.nameBy(field, [source] {
            if (auto* b = qobject_cast<QAbstractButton*>(source))
                return spokenCaption(b->text());
            if (auto* l = qobject_cast<QLabel*>(source))
                return spokenCaption(l->text());
            return QString();
        });
    }
}

} // namespace

GeneratorPage::GeneratorPage(rz::MainModel& model, ControlRegistry* controls, QWidget* parent)
    : QWidget(parent), model_(model), controls_(controls ? *controls : ControlRegistry::of(this)) {
    controls_.serve(this);
    setObjectName(QStringLiteral("TabSheet6"));
    controls_.add(this, ControlKind::TabSheet);
    buildControls();
    buildPages();
    syncFromModel();
}

void GeneratorPage::buildControls() {
    megaBallGroup_ = new QButtonGroup(this);
    megaBallGroup_->setExclusive(true);
    for (const auto& f : GeneratorSettings::table()) {
        if (qs(f.tab) == QLatin1String("Tipp"))
            continue; // the number of tips sits on the tip tab
        const QString caption = qs(f.caption);
        const QString hint = qs(f.hint);
        QWidget* w = nullptr;
        const Gs id = f.id;
        switch (f.kind) {
        case GsKind::Bool: {
            QCheckBox* cb = GapLine::hasGap(caption) ? new SentenceCheckBox(caption) : new QCheckBox(caption);
            connect(cb, &QCheckBox::toggled, this, [this, id](bool on) { boolChanged(id, on); });
            buttons_[idx(id)] = cb;
            w = cb;
            break;
        }
        case GsKind::Radio: {
            auto* rb = new QRadioButton(caption);
            megaBallGroup_->addButton(rb);
            connect(rb, &QRadioButton::toggled, this, [this, id](bool on) {
                if (on)
                    boolChanged(id, true);
            });
            buttons_[idx(id)] = rb;
            w = rb;
            break;
        }
        case GsKind::Int: {
            auto* sp = new QSpinBox;
            sp->setProperty("upDown", qs(f.control));
            sp->setAlignment(Qt::AlignRight);
            connect(sp, &QSpinBox::valueChanged, this, [this, id](int v) { spinChanged(id, v); });
            spins_[idx(id)] = sp;
            w = sp;
            break;
        }
        }
        w->setObjectName(f.kind == GsKind::Int ? qs(f.edit) : qs(f.control));
        controls_.add(w, f.kind == GsKind::Bool    ? ControlKind::CheckBox
                                       : f.kind == GsKind::Radio ? ControlKind::RadioButton
                                                                 : ControlKind::Edit);
        if (!hint.isEmpty()) {
            w->setToolTip(hint);
            w->setStatusTip(hint);
        }
    }
}

void GeneratorPage::buildPages() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl2"));
    outer->addWidget(pages_);

    QList<QWidget*> placed;
    auto cb = [&](Gs f) -> QWidget* { return buttons_[idx(f)]; };
    auto sp = [&](Gs f) -> QWidget* { return spins_[idx(f)]; };
    auto tool = [&](const char* name, const QString& text, const QString& tip, std::function<void()> call) {
        auto* b = new QToolButton;
        b->setObjectName(qs(name));
        controls_.add(b, ControlKind::SpeedButton);
        b->setText(text);
        b->setToolTip(tip);
        b->setAutoRaise(false);
        if (text.size() <= 2) // "2x": the hint says what it shows
            nameByHint(b);
        connect(b, &QToolButton::clicked, this, [this, call] { command(call); });
        return b;
    };
    auto link = [&](const char* name, const QString& text, const QString& tip, std::function<void()> call) {
        auto* l = new ClickLabel(text);
        l->setCursor(Qt::PointingHandCursor);
        QFont f = l->font();
        f.setUnderline(true);
        l->setFont(f);
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, pal.color(QPalette::Link));
        l->setPalette(pal);
        l->setKeyboardReachable(true);
        connect(l, &ClickLabel::clicked, this, [this, call] { command(call); });
        l->setObjectName(qs(name));
        controls_.add(l, ControlKind::Label);
        l->setToolTip(tip);
        return l;
    };
    auto gaps = [&](QWidget* host, std::initializer_list<Gs> fields) {
        for (Gs f : fields) {
            if (auto* c = dynamic_cast<SentenceCheckBox*>(host))
                c->addGapWidget(sp(f));
            else if (auto* l = dynamic_cast<SentenceLabel*>(host))
                l->addGapWidget(sp(f));
            nameAfter(controls_, sp(f), host);
            placed.append(sp(f));
        }
        return host;
    };

    // One sub-tab: a grid, so that the fields beside the check boxes line up
    // in every language. Rows of several widgets put them in the columns;
    // single widgets, headers and free rows span the whole width, so that
    // only the aligned rows decide the column widths.
    constexpr int kColumns = 4; // the column after the last one takes the rest
    struct Page {
        QGridLayout* grid;
        int rows = 0;
    };
    int sheet = 7; // the sub-tabs are TabSheet7 .. TabSheet11
    auto newPage = [&](const char* title) {
        auto* area = new QScrollArea;
        area->setObjectName(QStringLiteral("TabSheet%1").arg(sheet++));
        controls_.add(area, ControlKind::TabSheet);
        area->setWidgetResizable(true);
        area->setFrameShape(QFrame::NoFrame);
        // Tab goes through the controls; the area scrolls to the focused one.
        area->setFocusPolicy(Qt::NoFocus);
        auto* content = new QWidget;
        content->setObjectName(area->objectName() + QStringLiteral("Content"));
        auto* grid = new QGridLayout(content);
        grid->setContentsMargins(6, 6, 6, 6);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(4);
        grid->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, kColumns);
        grid->setColumnStretch(kColumns, 1);
        area->setWidget(content);
        pages_->addTab(area, qs(title));
        return Page{grid};
    };
    auto line = [&](Page& page, QWidget* w) {
        page.grid->addWidget(w, page.rows++, 0, 1, kColumns + 1);
        placed.append(w);
    };
    // nullptr in a free row pushes the rest to the right.
    auto row = [&](Page& page, std::initializer_list<QWidget*> items, bool aligned = true) {
        // Number fields beside a check box or after a label take its text as their name.
        if (items.size() > 1 && *items.begin()) {
            QWidget* source = *items.begin();
            if (auto* label = qobject_cast<QLabel*>(source))
                for (QWidget* w : items)
                    if (auto* field = qobject_cast<QSpinBox*>(w); field && !label->buddy())
                        label->setBuddy(field);
            for (QWidget* w : items)
                if (w && w != source)
                    nameAfter(controls_, w, source);
        }
        if (aligned && items.size() > 1 && items.size() <= kColumns) {
            int c = 0;
            for (QWidget* w : items) {
                page.grid->addWidget(w, page.rows, c, c == 0 ? Qt::Alignment() : Qt::AlignLeft | Qt::AlignVCenter);
                placed.append(w);
                ++c;
            }
            ++page.rows;
            return;
        }
        if (items.size() == 1) {
            line(page, *items.begin());
            return;
        }
        auto* h = new QHBoxLayout;
        h->setSpacing(6);
        bool stretched = false;
        for (QWidget* w : items) {
            if (!w) {
                h->addStretch(1);
                stretched = true;
                continue;
            }
            h->addWidget(w);
            placed.append(w);
        }
        if (!stretched)
            h->addStretch(1);
        page.grid->addLayout(h, page.rows++, 0, 1, kColumns + 1);
    };
    auto finish = [&](Page& page, const char* tab) {
        // Any field of this sub-tab that has no place above gets a row of its own.
        for (const auto& f : GeneratorSettings::table()) {
            if (qs(f.tab) != qs(tab))
                continue;
            QWidget* w = f.kind == GsKind::Int ? sp(f.id) : cb(f.id);
            if (w && !placed.contains(w)) {
                if (f.kind == GsKind::Int)
                    row(page, {plain(controls_, qs(f.caption)), w}, false);
                else
                    row(page, {w});
            }
        }
        page.grid->setRowStretch(page.rows, 1);
    };
    // A spin field with its unit right behind it, in one cell.
    auto percent = [&](Gs f) {
        auto* cell = new QWidget;
        auto* h = new QHBoxLayout(cell);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(3);
        h->addWidget(sp(f));
        h->addWidget(plain(controls_, QStringLiteral("%")));
        placed.append(sp(f));
        return cell;
    };

    // ---- Statistisch
    {
        Page p = newPage("Statistisch");
        line(p, header(controls_, qs("Zahlen für die Tipps über Statistik bevorzugen"), QStringLiteral("StatHeader1")));
        auto* note = plain(controls_, qs("Für die Tippberechnung werden die jeweils ersten x% verwendet. (z.B. bis 30% vom Maximum)"),
                           QStringLiteral("StatHeader2"));
        note->setWordWrap(true);
        line(p, note);
        row(p, {cb(Gs::PreferFrequent), percent(Gs::PreferFrequentPercent)});
        row(p, {cb(Gs::PreferOverdue), percent(Gs::PreferOverduePercent)});
        row(p, {cb(Gs::PreferRare), percent(Gs::PreferRarePercent)});
        row(p, {cb(Gs::PreferPairs), cb(Gs::PairsRarest)});
        row(p, {cb(Gs::PreferTriples), cb(Gs::TriplesRarest)});
        row(p, {cb(Gs::PreferQuads), cb(Gs::QuadsRarest)});
        row(p, {cb(Gs::PreferNeighbours)});
        row(p,
            {plain(controls_, qs("Diagramm:"), QStringLiteral("LabelChart1")),
             tool("SpeedButton26", qs("Häufigkeit"), qs("Verteilung der gezogenen Zahlen im Diagramm anzeigen"),
                  [this] { model_.SpeedButton26Click(); }),
             tool("SpeedButton22", qs("Ausstehende"), qs("Die am längsten ausstehenden Zahlen im Diagramm anzeigen"),
                  [this] { model_.Button5Click(); }),
             tool("SpeedButton23", qs("2x"), qs("Paarbildung im Diagramm anzeigen"), [this] { model_.Label89Click(); }),
             tool("SpeedButton24", qs("3x"), qs("Dreiergruppen im Diagramm anzeigen"), [this] { model_.Label91Click(); }),
             tool("SpeedButton25", qs("4x"), qs("Vierergruppen im Diagramm anzeigen"), [this] { model_.Label90Click(); })},
            false);
        finish(p, "Statistisch");
    }

    // ---- Schein Optimierung
    {
        Page p = newPage("Schein Optimierung");
        line(p, header(controls_, qs("Optimierung der einzelnen Tipps miteinander im Schein "), QStringLiteral("SlipHeader1")));
        row(p, {cb(Gs::MinOverlapEnabled), sp(Gs::MinOverlap)});
        row(p, {cb(Gs::MaxOverlapEnabled), sp(Gs::MaxOverlap)});
        row(p, {cb(Gs::OverlapEachPair)});
        line(p, header(controls_, qs("Optimierung der einzelnen Tipps über die vergangenen Ziehungen"), QStringLiteral("SlipHeader2")));
        row(p, {cb(Gs::MaxHitsLast1Enabled), sp(Gs::MaxHitsLast1)});
        row(p, {cb(Gs::MaxHitsLast2Enabled), sp(Gs::MaxHitsLast2)});
        row(p, {cb(Gs::MaxHitsLast3Enabled), sp(Gs::MaxHitsLast3)});
        row(p, {gaps(cb(Gs::ExcludeDbClassEnabled), {Gs::ExcludeDbClass})});
        row(p, {gaps(cb(Gs::ExcludeRecentEnabled), {Gs::ExcludeRecentClass, Gs::ExcludeRecentDraws})});
        line(p, header(controls_, qs("Für höhere Gewinnquoten können einzelne Zahlen benachteiligt werden (weniger Mitgewinner)"),
                       QStringLiteral("SlipHeader3")));
        row(p, {cb(Gs::AvoidMonthNumbers)});
        row(p, {cb(Gs::DampDateNumbers)});
        row(p, {cb(Gs::OverlapCountsMegaBall)});
        finish(p, "Schein Optimierung");
    }

    // ---- Mathematisch
    {
        Page p = newPage("Mathematisch");
        line(p, header(controls_, qs("Diese Bedingungen werden in jeder Tippreihe berücksichtigt"), QStringLiteral("MathHeader1")));
        auto* sums = new SentenceLabel(qs("Quersummen von                  bis                     im Tipp zulassen"));
        sums->setObjectName(QStringLiteral("SumLabel"));
        controls_.add(sums, ControlKind::Label);
        row(p, {gaps(sums, {Gs::SumMin, Gs::SumMax})}, false);
        auto* l88 = link("Label88", qs("Die Quersummerverteilung der vergangenen Ziehungen sehen Sie im Diagramm unter QS  "),
                         qs("Verteilung der Quersummen im Diagramm anzeigen"), [this] { model_.Label88Click(); });
        l88->setWordWrap(true);
        line(p, l88);
        row(p, {cb(Gs::MinPrimesEnabled), sp(Gs::MinPrimes)});
        row(p, {cb(Gs::MinEvenEnabled), sp(Gs::MinEven)});
        row(p, {cb(Gs::MinOddEnabled), sp(Gs::MinOdd)});
        row(p, {cb(Gs::ForcePair)});
        row(p, {cb(Gs::NoGroups)});
        auto* groups = new QHBoxLayout;
        groups->setSpacing(0);
        groups->addWidget(link("Label89", qs("Die Paare, "), qs("Paarbildung der vergangenen Ziehungen im Diagramm anzeigen"),
                               [this] { model_.Label89Click(); }),
                          0, Qt::AlignTop);
        groups->addWidget(link("Label91", qs("Dreier, "), qs("Dreiergruppen der vergangenen Ziehungen im Diagramm anzeigen"),
                               [this] { model_.Label91Click(); }),
                          0, Qt::AlignTop);
        groups->addWidget(link("Label90", qs("Vierer"), qs("Vierergruppen der vergangenen Ziehungen im Diagramm anzeigen"),
                               [this] { model_.Label90Click(); }),
                          0, Qt::AlignTop);
        auto* rest = plain(controls_, qs(" der vergangenen Ziehungen sehen Sie im Diagramm unter 2x, 3x und 4x"),
                           QStringLiteral("GroupsNote1"));
        rest->setWordWrap(true);
        groups->addWidget(rest, 1, Qt::AlignTop);
        p.grid->addLayout(groups, p.rows++, 0, 1, kColumns + 1);
        finish(p, "Mathematisch");
    }

    // ---- MegaBall
    {
        Page p = newPage("MegaBall");
        line(p, header(controls_, qs("Berechnungsoptionen für  den Megaball"), QStringLiteral("MegaBallHeader1")));
        auto* frame = new QGroupBox(qs("Megaball Option"));
        frame->setObjectName(QStringLiteral("GroupBox1"));
        controls_.add(frame, ControlKind::RadioGroup);
        auto* fv = new QVBoxLayout(frame);
        for (Gs f : {Gs::MegaBallRandom, Gs::MegaBallRarest, Gs::MegaBallLongestOutstanding}) {
            fv->addWidget(cb(f));
            placed.append(cb(f));
        }
        line(p, frame);
        row(p, {cb(Gs::MegaBallExcludeRecentEnabled), sp(Gs::MegaBallExcludeRecent)});
        row(p,
            {plain(controls_, qs("Diagramm:"), QStringLiteral("LabelChart2")),
             tool("Superselten", qs("Megaball"), qs("Häufigkeit der Megaball Zahlen im Diagramm anzeigen"),
                  [this] { model_.SuperseltenClick(); }),
             tool("SuperAus", qs("Megaball offen"), qs("Ausstehende Megaball Zahlen im Diagramm anzeigen"),
                  [this] { model_.SuperAusClick(); })},
            false);
        finish(p, "MegaBall");
    }

    // ---- Allgemein
    {
        Page p = newPage("Allgemein");
        line(p, header(controls_, qs("Allgemeine Berechnungsoptionen"), QStringLiteral("GeneralHeader1")));
        row(p, {plain(controls_, qs(GeneratorSettings::info(Gs::MaxRunsThousands).caption), QStringLiteral("LabelRuns")),
                sp(Gs::MaxRunsThousands), plain(controls_, qs("Tausend"), QStringLiteral("LabelThousands"))},
            false);
        auto* note = plain(controls_, qs("Sie können versuchen die Berechnungsläufe zu erhöhen, falls mit Ihren Einstellungen nicht "
                              "alle Reihen berechnet werden konnten. "),
                           QStringLiteral("GeneralNote1"));
        note->setWordWrap(true);
        line(p, note);
        row(p, {cb(Gs::PreferredOnly)});
        row(p, {cb(Gs::ShowNumberList)});
        row(p, {cb(Gs::MegaBall24)});
        finish(p, "Allgemein");
    }
    nameByCurrentPage(pages_);
}

void GeneratorPage::syncFromModel() {
    const auto& s = model_.Settings;
    QAbstractButton* radioOn = nullptr;
    bool radioWrong = false;
    for (const auto& f : GeneratorSettings::table()) {
        const std::size_t i = idx(f.id);
        if (QAbstractButton* b = buttons_[i]) {
            const bool want = s.on(f.id);
            if (f.kind == GsKind::Radio) {
                if (want && !radioOn)
                    radioOn = b;
                if (b->isChecked() != want)
                    radioWrong = true;
            } else if (b->isChecked() != want) {
                const QSignalBlocker block(b);
                b->setChecked(want);
            }
        } else if (QSpinBox* sp = spins_[i]) {
            const QSignalBlocker block(sp);
            if (sp->minimum() != s.minOf(f.id) || sp->maximum() != s.maxOf(f.id))
                sp->setRange(s.minOf(f.id), s.maxOf(f.id));
            if (sp->value() != s.get(f.id))
                sp->setValue(s.get(f.id));
        }
    }
    if (radioWrong) {
        // An exclusive group never lets the last button go off by itself.
        megaBallGroup_->setExclusive(false);
        for (QAbstractButton* b : megaBallGroup_->buttons()) {
            const QSignalBlocker block(b);
            b->setChecked(b == radioOn);
        }
        megaBallGroup_->setExclusive(true);
    }
}

void GeneratorPage::boolChanged(Gs f, bool on) {
    model_.changeSetting(f, on ? 1 : 0);
    if (GeneratorSettings::info(f).kind == GsKind::Radio)
        syncFromModel();
}

void GeneratorPage::spinChanged(Gs f, int value) {
    model_.changeSetting(f, value);
    syncFromModel();
}

void GeneratorPage::command(const std::function<void()>& call) {
    model_.run(call);
}
