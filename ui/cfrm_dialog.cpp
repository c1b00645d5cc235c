#include "ui/cfrm_dialog.h"

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
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <string_view>

#include "settings/cfrm_inputs.h"
#include "core/cfrm_policy.h"
#include "core/cfrm_text.h"
#include "ui/dialogs.h"
#include "core/io/write_file.h"
#include "core/sizing.h"

namespace ui {
namespace {

const QString kSaveFailedTitle = QStringLiteral("Save CFRM Policy");
const QString kSaveFailedText = QStringLiteral("The policy could not be saved.");

// Keys of the inputs and the duplex choices in the order of the combo box.
const QStringList kDuplexKeys = {"default", "gbp", "all", "none"};
const QStringList kLockDuplexKeys = {"sync", "async", "asynconly"};
// The lock structure sizes offered after "from the formula": powers of two, MB.
const QList<int> kLockSizesMb = {16, 32, 64, 128, 256, 512, 1024, 2048, 4096};
// The MINSIZE percentage's spin box shows "none" at this value, one below the range.
constexpr int kNoMinSize = 49;

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

QLineEdit* NamedLineEdit(const QString& name, const QString& pattern, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
    return edit;
}

QSpinBox* NamedSpinBox(const QString& name, int from, int to, int value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(from, to);
    box->setValue(value);
    return box;
}

QDoubleSpinBox* NamedDoubleSpinBox(const QString& name, double from, double to, int decimals,
                                   double value, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setDecimals(decimals);
    box->setRange(from, to);
    box->setSingleStep(decimals == 0 ? 1.0 : 1.0 / (decimals == 1 ? 10 : 100));
    box->setValue(value);
    return box;
}

}  // namespace

QVariantMap PolicyInputs(const std::map<std::string, std::string>& planInputs) {
    QVariantMap inputs;
    for (const auto& [key, value] : planInputs) {
        inputs.insert(QString::fromStdString(key), QString::fromStdString(value));
    }
    return inputs;
}

std::string ReadPolicyInputs(const QVariantMap& inputs, core::CfrmOptions& options) {
    const auto text = [&inputs](const char* key) { return inputs.value(key).toString(); };
    const auto number = [&inputs](const char* key, double fallback) {
        bool ok = false;
        const double value = inputs.value(key).toDouble(&ok);
        return ok ? value : fallback;
    };
    const auto flag = [&inputs](const char* key, bool fallback) {
        return inputs.contains(key) ? inputs.value(key).toBool() : fallback;
    };
    options.groupName = text("group").trimmed().toStdString();
    options.facilities = core::SplitNameList(text("facilities").toStdString());
    options.growthFactor = number("growth", options.growthFactor);
    options.duplex = static_cast<core::DuplexChoice>(
        std::max<qsizetype>(kDuplexKeys.indexOf(text("duplex")), 0));
    options.allowAutoAlter = flag("autoalt", options.allowAutoAlter);
    if (inputs.contains("commandPrefix")) {
        options.commandPrefix = text("commandPrefix").toStdString();
    }
    options.minRatio = std::llround(number("minRatio", static_cast<double>(options.minRatio)));
    options.directoryEntryTenthsKb = std::llround(
        number("directoryEntryKb", static_cast<double>(options.directoryEntryTenthsKb) / 10) * 10);
    options.sharingDegreeHundredths = std::llround(
        number("sharingDegree", static_cast<double>(options.sharingDegreeHundredths) / 100) * 100);
    options.unmeasuredGbpMb =
        std::llround(number("unmeasuredGbpMb", static_cast<double>(options.unmeasuredGbpMb)));
    if (const auto lockMb = std::llround(number("lockMb", 0)); lockMb > 0) {
        options.lockMb = lockMb;
    }
    if (const auto percent = std::llround(number("minSizePercent", 0));
        percent > 0 && options.allowAutoAlter) {
        options.minSizePercent = percent;
    }
    if (const qsizetype mode = kLockDuplexKeys.indexOf(text("lockDuplex"));
        options.duplex == core::DuplexChoice::kAll) {
        options.lockDuplex = static_cast<core::LockDuplexMode>(std::max<qsizetype>(mode, 0));
    }
    options.spreadPreflist = flag("spreadPreflist", false);
    options.dumpSpaceMb = number("dumpSpaceMb", 0);
    options.explainSizes = flag("explainSizes", false);
    std::string problem = core::CfrmOptionsProblem(options);
    if (problem.empty()) {
        core::FreeSpaceParse free =
            core::ParseFreeSpace(text("freeSpace").toStdString(), options.facilities);
        problem = free.problem;
        options.freeSpaceMb = std::move(free.freeSpaceMb);
    }
    return problem;
}

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
          QStringLiteral("&Allow automatic alter: ALLOWAUTOALT(YES) on the GBPs"), this)),
      m_prefix(NamedLineEdit("txtCommandPrefix", "[!-~\\x{00A2}]{0,8}", this)),
      m_freeSpace(NamedLineEdit("txtFreeSpace", "[A-Za-z0-9$#@_=,. ]{0,120}", this)),
      m_minRatio(NamedSpinBox("spnMinRatio", 1, 1024, 10, this)),
      m_directoryEntry(NamedDoubleSpinBox("spnDirectoryEntry", 0.1, 1.0, 1, 0.4, this)),
      m_sharingDegree(NamedDoubleSpinBox("spnSharingDegree", 0.5, 1.0, 2, 1.0, this)),
      m_unmeasuredGbp(NamedSpinBox("spnUnmeasuredGbp", 1, 524288, 32, this)),
      m_lockSize(new QComboBox(this)),
      m_minSizePercent(NamedSpinBox("spnMinSizePercent", kNoMinSize, 100, kNoMinSize, this)),
      m_lockDuplex(new QComboBox(this)),
      m_spreadPreflist(new QCheckBox(QStringLiteral("Rotate the &list for each GBP"), this)),
      m_dumpSpace(NamedDoubleSpinBox("spnDumpSpace", 0, 1048576, 0, 0, this)),
      m_explain(new QCheckBox(QStringLiteral("Sho&w how each size is worked out"), this)),
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
    m_directoryEntry->setToolTip(
        QStringLiteral("About 0.4 KB in Db2 13; Db2's older formula pages use 0.2 KB."));
    m_sharingDegree->setToolTip(
        QStringLiteral("U: the share of a pool's pages that other members cache too."));
    m_lockSize->setObjectName(QStringLiteral("cboLockSize"));
    m_lockSize->addItem(QStringLiteral("From members x ECSA"), 0);
    for (const int mb : kLockSizesMb) {
        m_lockSize->addItem(QStringLiteral("%1 MB").arg(mb), mb);
    }
    m_minSizePercent->setSpecialValueText(QStringLiteral("None (XCF's default)"));
    m_minSizePercent->setSuffix(QStringLiteral(" %"));
    m_lockDuplex->setObjectName(QStringLiteral("cboLockDuplex"));
    m_lockDuplex->addItems({QStringLiteral("Synchronous: DUPLEX(ENABLED)"),
                            QStringLiteral("Asynchronous: DUPLEX(ENABLED,ASYNC)"),
                            QStringLiteral("Asynchronous only: DUPLEX(ENABLED,ASYNCONLY)")});
    m_spreadPreflist->setObjectName(QStringLiteral("chkSpreadPreflist"));
    m_explain->setObjectName(QStringLiteral("chkExplainSizes"));

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
    form->addRow(QStringLiteral("Dump space per facility (M&B):"), m_dumpSpace);
    form->addRow(QString(), m_spreadPreflist);
    // The sizing rules' inputs beside the placement's, so that the dialog fits a laptop screen.
    auto* rules = new QFormLayout;
    rules->addRow(QStringLiteral("Smallest RA&TIO:"), m_minRatio);
    rules->addRow(QStringLiteral("Directory &entry (KB):"), m_directoryEntry);
    rules->addRow(QStringLiteral("S&haring degree U:"), m_sharingDegree);
    rules->addRow(QStringLiteral("&Unmeasured GBP (MB):"), m_unmeasuredGbp);
    rules->addRow(QStringLiteral("MI&NSIZE of the GBPs:"), m_minSizePercent);
    rules->addRow(QStringLiteral("Loc&k structure size:"), m_lockSize);
    rules->addRow(QStringLiteral("Lock structure duple&xing:"), m_lockDuplex);
    rules->addRow(QString(), m_explain);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_copy, QDialogButtonBox::ActionRole);
    buttons->addButton(m_save, QDialogButtonBox::ActionRole);
    m_copy->setAutoDefault(false);
    m_save->setAutoDefault(false);
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);

    auto* inputs = new QHBoxLayout;
    inputs->addLayout(form, 1);
    inputs->addSpacing(12);
    inputs->addLayout(rules, 1);
    auto* layout = new QVBoxLayout(this);
    // The fit check under the preview grows by lines as the inputs change; the dialog grows with
    // it rather than squeezing the two together.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addLayout(inputs);
    layout->addWidget(m_preview, 1);
    // The warnings can run long: they scroll rather than push the preview away.
    auto* statusArea = new QScrollArea(this);
    statusArea->setWidget(m_status);
    statusArea->setWidgetResizable(true);
    statusArea->setFrameShape(QFrame::NoFrame);
    statusArea->setMaximumHeight(QFontMetrics(m_status->font()).lineSpacing() * 8);
    layout->addWidget(statusArea);
    layout->addWidget(buttons);

    for (QLineEdit* edit : {m_group, m_facilities, m_prefix, m_freeSpace}) {
        connect(edit, &QLineEdit::textChanged, this, &CfrmDialog::inputChanged);
    }
    for (QDoubleSpinBox* box : {m_growth, m_directoryEntry, m_sharingDegree, m_dumpSpace}) {
        connect(box, &QDoubleSpinBox::valueChanged, this, &CfrmDialog::inputChanged);
    }
    for (QSpinBox* box : {m_minRatio, m_unmeasuredGbp, m_minSizePercent}) {
        connect(box, &QSpinBox::valueChanged, this, &CfrmDialog::inputChanged);
    }
    for (QComboBox* box : {m_lockSize, m_lockDuplex}) {
        connect(box, &QComboBox::currentIndexChanged, this, &CfrmDialog::inputChanged);
    }
    for (QCheckBox* box : {m_spreadPreflist, m_explain}) {
        connect(box, &QCheckBox::toggled, this, &CfrmDialog::inputChanged);
    }
    connect(m_duplex, &QComboBox::currentIndexChanged, this, &CfrmDialog::inputChanged);
    connect(m_autoAlter, &QCheckBox::toggled, this, &CfrmDialog::inputChanged);
    connect(m_copy, &QPushButton::clicked, this, &CfrmDialog::copyText);
    connect(m_save, &QPushButton::clicked, this, &CfrmDialog::saveAs);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // Down the left column, then down the right one, as they read.
    const QList<QWidget*> order = {
        m_group,          m_facilities,    m_growth,        m_duplex,         m_autoAlter,
        m_prefix,         m_freeSpace,     m_dumpSpace,     m_spreadPreflist, m_minRatio,
        m_directoryEntry, m_sharingDegree, m_unmeasuredGbp, m_minSizePercent, m_lockSize,
        m_lockDuplex,     m_explain,       m_preview};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
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
    return {
        {"group", m_group->text()},
        {"facilities", m_facilities->text()},
        {"growth", m_growth->value()},
        {"duplex", kDuplexKeys.value(m_duplex->currentIndex())},
        {"autoalt", m_autoAlter->isChecked()},
        {"commandPrefix", m_prefix->text()},
        {"freeSpace", m_freeSpace->text()},
        {"minRatio", m_minRatio->value()},
        {"directoryEntryKb", m_directoryEntry->value()},
        {"sharingDegree", m_sharingDegree->value()},
        {"unmeasuredGbpMb", m_unmeasuredGbp->value()},
        {"lockMb", m_lockSize->currentData().toInt()},
        {"minSizePercent", m_minSizePercent->value() == kNoMinSize ? 0 : m_minSizePercent->value()},
        {"lockDuplex", kLockDuplexKeys.value(m_lockDuplex->currentIndex())},
        {"spreadPreflist", m_spreadPreflist->isChecked()},
        {"dumpSpaceMb", m_dumpSpace->value()},
        {"explainSizes", m_explain->isChecked()}};
}

void CfrmDialog::setInputs(const QVariantMap& inputs) {
    m_applyingInputs = true;
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
    // A number the box cannot hold is dropped, as a refused text is.
    const auto setNumber = [&inputs](auto* box, const QString& key) {
        bool ok = false;
        const double value = inputs.value(key).toDouble(&ok);
        if (ok && value >= box->minimum() && value <= box->maximum()) {
            box->setValue(value);
        }
    };
    setNumber(m_minRatio, "minRatio");
    setNumber(m_directoryEntry, "directoryEntryKb");
    setNumber(m_sharingDegree, "sharingDegree");
    setNumber(m_unmeasuredGbp, "unmeasuredGbpMb");
    setNumber(m_dumpSpace, "dumpSpaceMb");
    if (inputs.contains("minSizePercent")) {
        const int percent = inputs.value("minSizePercent").toInt();
        m_minSizePercent->setValue(percent >= 50 && percent <= 100 ? percent : kNoMinSize);
    }
    if (const int lock = m_lockSize->findData(inputs.value("lockMb").toInt());
        inputs.contains("lockMb") && lock >= 0) {
        m_lockSize->setCurrentIndex(lock);
    }
    if (const qsizetype mode = kLockDuplexKeys.indexOf(inputs.value("lockDuplex").toString());
        mode >= 0) {
        m_lockDuplex->setCurrentIndex(static_cast<int>(mode));
    }
    for (const auto& [box, key] :
         {std::pair{m_spreadPreflist, "spreadPreflist"}, std::pair{m_explain, "explainSizes"}}) {
        if (inputs.contains(key)) {
            box->setChecked(inputs.value(key).toBool());
        }
    }
    m_applyingInputs = false;
    updatePreview();
}

void CfrmDialog::inputChanged() {
    updatePreview();
    if (!m_applyingInputs) {
        emit inputsEdited();
    }
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
    const std::string problem = ReadPolicyInputs(inputs(), options);
    // The lock duplexing mode applies only when every structure is duplexed, MINSIZE only with
    // automatic alter; otherwise their boxes wait.
    m_lockDuplex->setEnabled(options.duplex == core::DuplexChoice::kAll);
    m_minSizePercent->setEnabled(options.allowAutoAlter);
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
        for (const core::Warning& warning : m_policy->warnings) {
            status << FromUtf8(warning.message);
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
    SaveTextAs(policyText(),
               QStringLiteral("%1-cfrm.txt").arg(FromUtf8(m_policy->groupName).toLower()),
               m_chooser, m_messages, this, kSaveFailedTitle, kSaveFailedText);
}

void SaveTextAs(const QString& text, const QString& suggestedName, PolicyFileChooser& chooser,
                MessageSink& messages, QWidget* parent, const QString& title,
                const QString& failedText) {
    const std::optional<QString> path = chooser.choosePolicyFile(parent, suggestedName);
    if (!path) {
        return;
    }
    const QByteArray bytes = text.toUtf8();
    const core::Status written = core::WriteWholeFile(
        QFile::encodeName(*path).toStdString(), std::string_view(bytes.constData(), bytes.size()));
    if (!written.ok()) {
        messages.showMessage(
            MessageIcon::kCritical, title, failedText,
            QStringLiteral("%1\n%2").arg(*path, QString::fromStdString(written.message())));
    }
}

}  // namespace ui
