#include "app/filter/FilterBar.h"

#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>
#include <cmath>

#include "app/filter/NoMatchNotice.h"
#include "ui/DialogText.h"

namespace lorvex {
namespace {

constexpr int kErrorHue = 0;           // red
constexpr int kErrorSaturation = 200;  // of 255: plainly red, not glaring
constexpr int kErrorStartLightness = 128;
constexpr int kMaxLightness = 255;
constexpr int kLightnessStep = 4;
constexpr int kErrorIndent = 4;  // the error line's left and right inset
constexpr int kIconGap = 4;      // between the warning sign and the text

double Luminance(const QColor& c) {
    const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The highlight colour says "selected", not "wrong", and a fixed red that
// reads on a light window all but vanishes on a dark one. So the error text
// is a red whose lightness moves away from the window's background (darker
// on a light one, lighter on a dark one) until it keeps the contrast that
// text needs; a background where no red gets there still gets the most
// contrasting one.
QColor ErrorTextColor(const QPalette& palette) {
    const QColor background = palette.color(QPalette::Window);
    const bool dark = ContrastRatio(background, Qt::white) > ContrastRatio(background, Qt::black);
    const int step = dark ? kLightnessStep : -kLightnessStep;
    int lightness = kErrorStartLightness;
    QColor red = QColor::fromHsl(kErrorHue, kErrorSaturation, lightness);
    while (ContrastRatio(red, background) < FilterBar::kErrorContrast && lightness + step >= 0 &&
           lightness + step <= kMaxLightness) {
        lightness += step;
        red = QColor::fromHsl(kErrorHue, kErrorSaturation, lightness);
    }
    return red;
}

FilterBar::FilterBar(TableData& table, QAbstractScrollArea& view, QWidget* parent) : QWidget(parent), table_(table) {
    setObjectName(QStringLiteral("filterBar"));
    line = new QLineEdit(this);
    line->setObjectName(QStringLiteral("filterLine"));
    line->setPlaceholderText(
        QStringLiteral("Filter: word  \"two words\"  Heading = != < <= > >= ~ value  -word  this or that"));
    line->setClearButtonEnabled(true);
    line->installEventFilter(this);
    errorLabel = new QLabel(this);
    errorLabel->setObjectName(QStringLiteral("filterError"));
    errorLabel->setTextFormat(Qt::PlainText);
    errorLabel->hide();
    errorIcon = new QLabel(this);
    errorIcon->setObjectName(QStringLiteral("filterErrorIcon"));
    errorIcon->setAlignment(Qt::AlignCenter);
    errorIcon->hide();
    StyleError();
    hide();
    connect(line, &QLineEdit::textChanged, this, [this] { Apply(); });
    notice_ = new NoMatchNotice(*this, table_, view);
}

void FilterBar::Open() {
    const bool wasHidden = isHidden();
    show();
    line->setFocus();
    line->selectAll();
    if (wasHidden) emit heightChanged();
}

void FilterBar::Close() {
    const bool wasVisible = !isHidden();
    line->clear();  // applies the empty filter: every row shown
    hide();
    if (wasVisible) emit heightChanged();
}

void FilterBar::Apply() {
    const FilterParse parse = RowFilter::Parse(BoxTextToBytes(line->text()), table_);
    const bool hadError = !errorLabel->isHidden();
    if (parse.Ok()) {
        ApplyFilter(table_, parse.filter);
        errorLabel->hide();
        errorIcon->hide();
    } else {
        table_.ShowAllRows();  // nothing hidden while the filter cannot be read
        errorLabel->setText(BytesToBoxText(parse.error));
        errorLabel->show();
        errorIcon->show();
    }
    active_ = parse.Ok() && !parse.filter.Empty();
    emit filterChanged();
    if (hadError != !errorLabel->isHidden()) emit heightChanged();
}

int FilterBar::Place(int x, int y, int width) {
    if (isHidden()) return 0;
    const int lineHeight = line->sizeHint().height();
    const bool error = !errorLabel->isHidden();
    const int errorHeight = error ? std::max(errorLabel->sizeHint().height(), errorIcon->sizeHint().height()) : 0;
    const int iconWidth = error ? errorIcon->sizeHint().width() : 0;
    setGeometry(x, y, width, lineHeight + errorHeight);
    line->setGeometry(0, 0, width, lineHeight);
    errorIcon->setGeometry(kErrorIndent, lineHeight, iconWidth, errorHeight);
    const int textLeft = kErrorIndent + iconWidth + kIconGap;
    errorLabel->setGeometry(textLeft, lineHeight, std::max(0, width - textLeft - kErrorIndent), errorHeight);
    return lineHeight + errorHeight;
}

void FilterBar::StyleError() {
    QPalette colours = errorLabel->palette();
    colours.setColor(errorLabel->foregroundRole(), ErrorTextColor(palette()));
    errorLabel->setPalette(colours);
    const int side = errorLabel->fontMetrics().height();
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this);
    errorIcon->setPixmap(warning.pixmap(QSize(side, side), devicePixelRatioF()));
}

void FilterBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::FontChange)
        StyleError();
    QWidget::changeEvent(event);
}

// The notice belongs over the rows of the view that shows this bar's table,
// which lives beside the bar in the same window.
bool FilterBar::eventFilter(QObject* watched, QEvent* event) {
    // Escape belongs to the line here: it must not reach the window, whose
    // Escape ends the program.
    if (watched == line && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (event->type() == QEvent::KeyPress) Close();
        event->accept();
        return event->type() == QEvent::KeyPress;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace lorvex
