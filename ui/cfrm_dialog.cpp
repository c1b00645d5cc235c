#include "cfrm_dialog.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QVBoxLayout>
#include <string_view>

#include "cfrm_inputs.h"
#include "cfrm_policy.h"
#include "cfrm_text.h"
#include "dialogs.h"
#include "io/write_file.h"
#include "sizing.h"

namespace ui {
namespace {

const QString kSaveFailedTitle = QStringLiteral("Save CFRM Policy");
const QString kSaveFailedText = QStringLiteral("The policy could not be saved.");

// Keys of the inputs and the duplex choices in the order of the combo box.
const QStringList kDuplexKeys = {"default", "gbp", "all", "none"};

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

QLineEdit* NamedLineEdit(const QString& name, const QString& pattern, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
    return edit;
}

}  // namespace

std::optional<QString> DialogPolicyFileChooser::choosePolicyFile(QWidget* parent,
                                                                 const QString& suggestedName) {
    const QString path = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Save CFRM Policy"), suggestedName,
        QStringLiteral("Policy statements (*.txt *.jcl);;All Files (*)"));
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

CfrmDialog::CfrmDialog(MessageSink& messages, PolicyFileChooser& chooser, QWidget* parent)
    : QDialog(parent),
      m_messages(messages),
      m_chooser(chooser),
      m_sizing(std::make_unique<core::SizingResult>()),
      m_source(std::make_unique<core::CfrmSource>()),
      m_policy(std::make_unique<core::CfrmPolicy>()),
      m_group(NamedLineEdit("txtGroup", "[A-Za-z0-9$#@]{0,8}", this)),
      m_facilities(NamedLineEdit("txtFacilities", "[A-Za-z0-9$#@_, ]{0,80}", this)),
      m_growth(new QDoubleSpinBox(this)),
      m_duplex(new QComboBox(this)),
      m_autoAlter(new QCheckBox(
          QStringLiteral("&Allow automatic alter: ALLOWAUTOALT(YES), MINSIZE = INITSIZE"), this)),
      m_prefix(NamedLineEdit("txtCommandPrefix", "[!-~]{0,8}", this)),
      m_freeSpace(NamedLineEdit("txtFreeSpace", "[A-Za-z0-9$#@_=,. ]{0,120}", this)),
      m_preview(new QPlainTextEdit(this)),
      m_status(new QLabel(this)),
      m_copy(new QPushButton(QStringLiteral("&Copy"), this)),
      m_save(new QPushButton(QStringLiteral("Sa&ve As…"), this)) {
    setObjectName(QStringLiteral("frmCfrmPolicy"));
    setWindowTitle(QStringLiteral("CFRM Policy"));

    m_group->setPlaceholderText(QStringLiteral("e.g. DSNDB0G"));
    m_facilities->setPlaceholderText(QStringLiteral("e.g. CF01, CF02 (preference order)"));
    m_growth->setObjectName(QStringLiteral("spnGrowth"));
    m_growth->setRange(1.0, 2.0);
    m_growth->setSingleStep(0.1);
    m_growth->setDecimals(2);
    m_growth->setValue(1.5);
    m_duplex->setObjectName(QStringLiteral("cboDuplex"));
    m_duplex->addItems({QStringLiteral("GBPs with two or more facilities (default)"),
                        QStringLiteral("GBP structures"), QStringLiteral("All structures"),
                        QStringLiteral("None")});
    m_autoAlter->setObjectName(QStringLiteral("chkAutoAlt"));
    m_autoAlter->setChecked(true);
    m_prefix->setText(QStringLiteral("-"));
    m_freeSpace->setPlaceholderText(QStringLiteral("optional: 500, or CF01=500,CF02=300"));

    m_preview->setObjectName(QStringLiteral("txtPreview"));
    m_preview->setReadOnly(true);
    m_preview->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_preview->setTabChangesFocus(true);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_preview->setFont(fixed);
    m_preview->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(76, 'M')));
    m_preview->setMinimumHeight(QFontMetrics(fixed).lineSpacing() * 18);
    m_status->setObjectName(QStringLiteral("lblPolicyStatus"));
    // Its lines are broken where they should be; wrapping them again at the dialog's width made
    // a label taller than the layout had room for, drawn over the preview.
    m_status->setWordWrap(false);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_copy->setObjectName(QStringLiteral("cmdCopy"));
    m_save->setObjectName(QStringLiteral("cmdSaveAs"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Group name:"), m_group);
    form->addRow(QStringLiteral("Coupling &facilities:"), m_facilities);
    form->addRow(QStringLiteral("G&rowth factor:"), m_growth);
    form->addRow(QStringLiteral("&Duplexing:"), m_duplex);
    form->addRow(QString(), m_autoAlter);
    form->addRow(QStringLiteral("Command &prefix:"), m_prefix);
    form->addRow(QStringLiteral("Free &space (MB):"), m_freeSpace);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_copy, QDialogButtonBox::ActionRole);
    buttons->addButton(m_save, QDialogButtonBox::ActionRole);
    m_copy->setAutoDefault(false);
    m_save->setAutoDefault(false);
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    // The fit check under the preview grows by lines as the inputs change; the dialog grows with
    // it rather than squeezing the two together.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addLayout(form);
    layout->addWidget(m_preview, 1);
    layout->addWidget(m_status);
    layout->addWidget(buttons);

    for (QLineEdit* edit : {m_group, m_facilities, m_prefix, m_freeSpace}) {
        connect(edit, &QLineEdit::textChanged, this, &CfrmDialog::updatePreview);
    }
    connect(m_growth, &QDoubleSpinBox::valueChanged, this, &CfrmDialog::updatePreview);
    connect(m_duplex, &QComboBox::currentIndexChanged, this, &CfrmDialog::updatePreview);
    connect(m_autoAlter, &QCheckBox::toggled, this, &CfrmDialog::updatePreview);
    connect(m_copy, &QPushButton::clicked, this, &CfrmDialog::copyText);
    connect(m_save, &QPushButton::clicked, this, &CfrmDialog::saveAs);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    setInputs(settings::LoadCfrmInputs());
    m_group->setFocus();
}

CfrmDialog::~CfrmDialog() = default;

void CfrmDialog::setSizing(const core::SizingResult& sizing, const core::CfrmSource& source) {
    *m_sizing = sizing;
    *m_source = source;
    updatePreview();
}

QVariantMap CfrmDialog::inputs() const {
    return {{"group", m_group->text()},
            {"facilities", m_facilities->text()},
            {"growth", m_growth->value()},
            {"duplex", kDuplexKeys.value(m_duplex->currentIndex())},
            {"autoalt", m_autoAlter->isChecked()},
            {"commandPrefix", m_prefix->text()},
            {"freeSpace", m_freeSpace->text()}};
}

void CfrmDialog::setInputs(const QVariantMap& inputs) {
    // A stored text the validators would refuse is dropped rather than shown half-typed.
    const auto setText = [&inputs](QLineEdit* edit, const QString& key) {
        if (!inputs.contains(key)) {
            return;
        }
        QString text = inputs.value(key).toString();
        int position = 0;
        if (edit->validator()->validate(text, position) == QValidator::Acceptable) {
            edit->setText(text);
        }
    };
    setText(m_group, "group");
    setText(m_facilities, "facilities");
    setText(m_prefix, "commandPrefix");
    setText(m_freeSpace, "freeSpace");
    if (inputs.contains("growth")) {
        m_growth->setValue(inputs.value("growth").toDouble());
    }
    if (const qsizetype duplex = kDuplexKeys.indexOf(inputs.value("duplex").toString());
        duplex >= 0) {
        m_duplex->setCurrentIndex(static_cast<int>(duplex));
    }
    if (inputs.contains("autoalt")) {
        m_autoAlter->setChecked(inputs.value("autoalt").toBool());
    }
    updatePreview();
}

QString CfrmDialog::policyText() const {
    return m_policy->ok() ? FromUtf8(m_policy->text) : QString();
}

void CfrmDialog::done(int result) {
    settings::SaveCfrmInputs(inputs());
    QDialog::done(result);
}

void CfrmDialog::updatePreview() {
    core::CfrmOptions options;
    options.groupName = m_group->text().trimmed().toStdString();
    options.facilities = core::SplitNameList(m_facilities->text().toStdString());
    options.growthFactor = m_growth->value();
    options.duplex = static_cast<core::DuplexChoice>(m_duplex->currentIndex());
    options.allowAutoAlter = m_autoAlter->isChecked();
    options.commandPrefix = m_prefix->text().toStdString();
    std::string problem = core::CfrmOptionsProblem(options);
    if (problem.empty()) {
        core::FreeSpaceParse free =
            core::ParseFreeSpace(m_freeSpace->text().toStdString(), options.facilities);
        problem = free.problem;
        options.freeSpaceMb = std::move(free.freeSpaceMb);
    }
    if (problem.empty()) {
        *m_policy = core::MakeCfrmPolicy(*m_sizing, *m_source, options);
    } else {
        *m_policy = core::CfrmPolicy{};
        m_policy->problem = problem;
    }

    QStringList status;
    if (m_policy->ok()) {
        for (const core::LeftOut& left : m_policy->leftOut) {
            status << FromUtf8(left.reason);
        }
        for (const std::string& line : core::FitLines(*m_policy)) {
            status << FromUtf8(line);
        }
        m_status->setStyleSheet(QString());
    } else {
        status << FromUtf8(m_policy->problem);
        m_status->setStyleSheet(QStringLiteral("color: #b00020;"));
    }
    m_status->setText(status.join('\n'));
    // A keystroke in an input leaves the preview where the user scrolled it.
    const int scrolled = m_preview->verticalScrollBar()->value();
    m_preview->setPlainText(policyText());
    m_preview->verticalScrollBar()->setValue(scrolled);
    m_copy->setEnabled(m_policy->ok());
    m_save->setEnabled(m_policy->ok());
}

void CfrmDialog::copyText() { QGuiApplication::clipboard()->setText(policyText()); }

void CfrmDialog::saveAs() {
    const std::optional<QString> path = m_chooser.choosePolicyFile(
        this, QStringLiteral("%1-cfrm.txt").arg(FromUtf8(m_policy->groupName).toLower()));
    if (!path) {
        return;
    }
    const QByteArray bytes = policyText().toUtf8();
    const core::WriteResult written = core::WriteWholeFile(
        QFile::encodeName(*path).toStdString(), std::string_view(bytes.constData(), bytes.size()));
    if (!written.ok()) {
        m_messages.showMessage(
            MessageIcon::kCritical, kSaveFailedTitle, kSaveFailedText,
            QStringLiteral("%1\n%2").arg(*path, QString::fromStdString(written.reason)));
    }
}

}  // namespace ui
