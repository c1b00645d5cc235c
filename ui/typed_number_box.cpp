#include "ui/typed_number_box.h"

#include <QLineEdit>
#include <QPalette>
#include <algorithm>
#include <optional>
#include <string>

namespace ui {
namespace {

// A valid text's value in hundredths and the decimals it was typed with; nullopt for a text the
// arrows cannot step (anything but digits with an optional point and up to two decimals).
struct Hundredths {
    long long value = 0;
    int decimals = 0;
};

std::optional<Hundredths> ReadHundredths(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype point = trimmed.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? trimmed : trimmed.left(point);
    const QString fraction = point < 0 ? QString() : trimmed.mid(point + 1);
    if (whole.isEmpty() || whole.size() > 6 || fraction.size() > 2 ||
        (point >= 0 && fraction.isEmpty())) {
        return std::nullopt;
    }
    Hundredths number;
    number.decimals = static_cast<int>(fraction.size());
    for (QChar c : whole + fraction.leftJustified(2, QLatin1Char('0'))) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
        number.value = number.value * 10 + (c.unicode() - '0');
    }
    return number;
}

QString FormatHundredths(long long value, int decimals) {
    QString text = QString::number(value / 100);
    if (decimals > 0) {
        const QString fraction = QString::number(value % 100).rightJustified(2, QLatin1Char('0'));
        text += QLatin1Char('.') + fraction.left(decimals);
    }
    return text;
}

}  // namespace

TypedNumberBox::TypedNumberBox(const Rule& rule, const QString& text, QWidget* parent)
    : QAbstractSpinBox(parent), m_rule(rule) {
    setAlignment(Qt::AlignRight);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    lineEdit()->setText(text);
    connect(lineEdit(), &QLineEdit::textChanged, this, &TypedNumberBox::showValidity);
    connect(lineEdit(), &QLineEdit::textEdited, this, &TypedNumberBox::editedByUser);
    showValidity();
}

bool TypedNumberBox::isValid() const { return m_valid; }

QString TypedNumberBox::rangeText() const {
    return QString::fromLatin1(m_rule.rangeText.data(),
                               static_cast<qsizetype>(m_rule.rangeText.size()));
}

void TypedNumberBox::stepBy(int steps) {
    const std::optional<Hundredths> number = ReadHundredths(text());
    if (!m_valid || !number) {
        return;
    }
    const long long stepped = std::clamp<long long>(number->value + 100LL * steps,
                                                    100LL * m_rule.minimum, 100LL * m_rule.maximum);
    lineEdit()->setText(FormatHundredths(stepped, number->decimals));
    emit editedByUser();
    selectAll();
}

QValidator::State TypedNumberBox::validate(QString&, int&) const { return QValidator::Acceptable; }

void TypedNumberBox::fixup(QString&) const {}

QSize TypedNumberBox::sizeHint() const {
    QSize hint = QAbstractSpinBox::sizeHint();
    hint.rwidth() += fontMetrics().horizontalAdvance(QStringLiteral("9999.99"));
    return hint;
}

QSize TypedNumberBox::minimumSizeHint() const { return sizeHint(); }

QAbstractSpinBox::StepEnabled TypedNumberBox::stepEnabled() const {
    const std::optional<Hundredths> number = ReadHundredths(text());
    if (!m_valid || !number || isReadOnly()) {
        return StepNone;
    }
    StepEnabled enabled = StepNone;
    if (number->value < 100LL * m_rule.maximum) {
        enabled |= StepUpEnabled;
    }
    if (number->value > 100LL * m_rule.minimum) {
        enabled |= StepDownEnabled;
    }
    return enabled;
}

void TypedNumberBox::setText(const QString& text) { lineEdit()->setText(text); }

void TypedNumberBox::showValidity() {
    const bool valid = m_rule.isValid(text().toStdString());
    // A tinted field marks the refused text where the eye already is.
    QPalette colours = palette();
    if (!valid) {
        colours.setColor(QPalette::Base, QColor(0xff, 0xe0, 0xe0));
        colours.setColor(QPalette::Text, QColor(0x80, 0x00, 0x00));
    }
    lineEdit()->setPalette(colours);
    setAccessibleDescription(valid ? QString() : rangeText());
    if (valid != m_valid) {
        m_valid = valid;
        emit validityChanged(valid);
    }
    update();
}

}  // namespace ui
