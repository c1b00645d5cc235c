// A number box that keeps exactly what the user typed: the text is never clamped, completed or
// dropped, so the sizing reads what the user sees. A text outside the box's rule is kept and
// marked invalid. The arrows and the Up/Down keys step a valid number by 1.
#ifndef UI_TYPED_NUMBER_BOX_H_
#define UI_TYPED_NUMBER_BOX_H_

#include <QAbstractSpinBox>
#include <QString>
#include <string_view>

namespace ui {

class TypedNumberBox : public QAbstractSpinBox {
    Q_OBJECT

public:
    struct Rule {
        bool (*isValid)(std::string_view text);  // the texts the box accepts, blanks around allowed
        std::string_view rangeText;              // what the box accepts, in words
        int minimum;                             // the range the arrows step in, whole numbers
        int maximum;
    };

    // `rule` must outlive the box (the rules are constants).
    TypedNumberBox(const Rule& rule, const QString& text, QWidget* parent = nullptr);

    // Puts `text` in the box as it stands (a plan's text); a text the rule refuses is marked.
    void setText(const QString& text);
    bool isValid() const;
    QString rangeText() const;  // the rule's words, for the line beside the box

    // Stepping keeps the number of decimals typed ("4.5" up is "5.5") and stops at the range's
    // ends. A text the rule refuses does not step.
    void stepBy(int steps) override;
    // Every text is taken as typed; marking it is left to isValid().
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The text changed between one the rule accepts and one it refuses.
    void validityChanged(bool valid);
    // The user typed in the box or stepped it (not setText()).
    void editedByUser();

protected:
    StepEnabled stepEnabled() const override;

private:
    void showValidity();

    const Rule& m_rule;
    bool m_valid = true;
};

}  // namespace ui

#endif  // UI_TYPED_NUMBER_BOX_H_
