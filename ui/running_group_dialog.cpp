#include "ui/running_group_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <optional>
#include <string_view>

#include "core/capture_text.h"
#include "ui/cfrm_dialog.h"
#include "core/cfrm_policy.h"
#include "ui/dialogs.h"
#include "core/io/file_source.h"
#include "core/gbp_display.h"
#include "core/policy_source.h"
#include "core/running_group.h"
#include "core/sizing.h"
#include "core/xcf_display.h"

namespace ui {

// What each text read as, kept so that typing the name does not read them again.
struct RunningGroupDialog::Reads {
    std::optional<core::GbpDisplayRead> gbp;
    std::optional<core::XcfDisplayRead> xcf;
    std::optional<core::PolicySource> source;
    std::array<std::string, kInputCount> errors;  // the reader's refusal, "" when it read

    // The reading into `into`, or the refusal into `error`.
    template <class T>
    static void Keep(core::StatusOr<T> read, std::string& error, std::optional<T>& into) {
        error = read.status().message();
        into.reset();
        if (read.ok()) {
            into = std::move(read).value();
        }
    }

    // Reads `text` with the reader of `input`: its reading, or its refusal in errors[input].
    void Read(Input input, const std::string& text) {
        switch (input) {
            case kGbpDisplay: {
                Keep(core::ReadGbpDisplay(text), errors[input], gbp);
                break;
            }
            case kXcfDisplay: {
                Keep(core::ReadXcfDisplay(text), errors[input], xcf);
                break;
            }
            default: {
                Keep(core::ReadPolicySource(text), errors[input], source);
                break;
            }
        }
    }

    // What `other` holds of `input` in place of what this holds of it.
    void Take(Input input, Reads&& other) {
        errors[input] = std::move(other.errors[input]);
        if (input == kGbpDisplay) {
            gbp = std::move(other.gbp);
        } else if (input == kXcfDisplay) {
            xcf = std::move(other.xcf);
        } else {
            source = std::move(other.source);
        }
    }
};

namespace {

const QString kTitle = QStringLiteral("Running Group");
const QString kOpenFailedText = QStringLiteral("The text could not be read.");
const QString kSaveFailedText = QStringLiteral("The text could not be saved.");

struct InputTab {
    const char* objectName;
    const char* tabTitle;  // with its mnemonic
    const char* accessibleName;
    const char* placeholder;
    size_t maxBytes;
};

// The plan's keys for the files of the three inputs, in their order, and for the policy name.
const char* const kGivenFileKeys[] = {"runningGbpDisplay", "runningXcfDisplay", "runningPolicyJob"};
constexpr char kGivenNameKey[] = "runningPolicyName";

const InputTab kInputTabs[] = {
    {"txtGbpDisplay", "&GBP Display", "Group buffer pools' display",
     "Paste the output of -DISPLAY GROUPBUFFERPOOL(*) GDETAIL(*), or open a saved log.",
     core::kMaxCaptureBytes},
    {"txtXcfDisplay", "&XCF Display", "Structures' display",
     "Paste the output of D XCF,STR,STRNAME=..., or open a saved log.", core::kMaxCaptureBytes},
    {"txtCurrentPolicy", "Current Policy &Job", "Current CFRM policy job",
     "Paste the job that defined the current CFRM policy (IXCMIAPU, DATA TYPE(CFRM)).",
     core::kMaxPolicySourceBytes},
};

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text); }

QString Kb(const std::optional<int64_t>& value) {
    return value ? QStringLiteral("%1 KB").arg(*value) : QStringLiteral("-");
}

QString Count(const std::optional<int64_t>& value) {
    return value ? QString::number(*value) : QStringLiteral("-");
}

QString Joined(const std::vector<std::string>& items, const QString& separator) {
    QStringList out;
    for (const std::string& item : items) {
        out << FromUtf8(item);
    }
    return out.join(separator);
}

// The words beside each code, so that no row is read from its icon alone.
QString CodeWords(const std::string& code) {
    static const std::pair<const char*, const char*> kWords[] = {
        {"too_few_directory_entries", "cross-invalidations due to directory reclaims"},
        {"too_few_data_entries", "writes failed for lack of storage"},
        {"ratio_pending", "a RATIO change is pending"},
        {"not_in_cfrm_policy", "not in the CFRM policy"},
        {"new", "not in the current policy: defined by the new one"},
        {"not_recommended", "not sized by the recommendation: kept as it stands"},
        {"rebuild", "needs a rebuild"},
        {"alter", "SETXCF START,ALTER to the new INITSIZE"},
        {"keep", "nothing to do"},
    };
    for (const auto& [c, words] : kWords) {
        if (code == c) {
            return QStringLiteral("%1: %2").arg(QString::fromLatin1(c), QString::fromLatin1(words));
        }
    }
    return FromUtf8(code);
}

QIcon CodeIcon(const QStyle& style, const std::string& code) {
    if (code == "keep" || code == "not_recommended" || code.empty()) {
        return style.standardIcon(QStyle::SP_DialogApplyButton);
    }
    if (code == "new" || code == "alter" || code == "rebuild") {
        return style.standardIcon(QStyle::SP_MessageBoxInformation);
    }
    return style.standardIcon(QStyle::SP_MessageBoxWarning);
}

// The text at `path` (see core::ReadCapturedText); the reason when it cannot be read.
std::optional<std::string> ReadText(const QString& path, size_t limit, std::string& out) {
    if (const auto reason =
            core::ReadCapturedText(QFile::encodeName(path).toStdString(), limit, out)) {
        return std::string(core::ReasonText(*reason));
    }
    return std::nullopt;
}

QPlainTextEdit* OutputEdit(const char* name, const char* accessibleName, QWidget* parent) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(QString::fromLatin1(accessibleName));
    edit->setReadOnly(true);
    // Jobs keep their columns; Why is prose and wraps.
    edit->setLineWrapMode(std::string_view(name) == "txtRunningWhy" ? QPlainTextEdit::WidgetWidth
                                                                    : QPlainTextEdit::NoWrap);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return edit;
}

QPushButton* Button(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

RunningGroupDialog::RunningGroupDialog(MessageSink& messages, FileChooser& opener,
                                       PolicyFileChooser& saver, QWidget* parent)
    : QDialog(parent),
      m_messages(messages),
      m_opener(opener),
      m_saver(&saver),
      m_options(std::make_unique<core::CfrmOptions>()),
      m_policy(std::make_unique<core::CfrmPolicy>()),
      m_group(std::make_unique<core::RunningGroup>()),
      m_reads(std::make_unique<Reads>()),
      m_policyName(new QLineEdit(this)),
      m_table(new QTableWidget(0, 4, this)),
      m_why(OutputEdit("txtRunningWhy", "Why", this)),
      m_status(new QLabel(this)),
      m_newPolicy(OutputEdit("txtNewPolicy", "New policy", this)),
      m_steps(OutputEdit("txtSteps", "Steps", this)) {
    setWindowTitle(kTitle);
    setObjectName(QStringLiteral("dlgRunningGroup"));

    auto* inputs = new QTabWidget(this);
    inputs->setObjectName(QStringLiteral("tbsRunningInputs"));
    inputs->setAccessibleName(QStringLiteral("Running group texts"));
    for (int i = 0; i < kInputCount; ++i) {
        const InputTab& tab = kInputTabs[i];
        auto* page = new QWidget(inputs);
        auto* layout = new QVBoxLayout(page);
        auto* edit = new QPlainTextEdit(page);
        edit->setObjectName(QString::fromLatin1(tab.objectName));
        edit->setAccessibleName(QString::fromLatin1(tab.accessibleName));
        edit->setPlaceholderText(QString::fromLatin1(tab.placeholder));
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        auto* open = Button("&Open…", "cmdOpen", page);
        open->setObjectName(
            QStringLiteral("cmdOpen%1").arg(QString::fromLatin1(tab.objectName + 3)));
        open->setAccessibleName(
            QStringLiteral("Open %1").arg(QString::fromLatin1(tab.accessibleName)));
        layout->addWidget(edit);
        layout->addWidget(open, 0, Qt::AlignLeft);
        inputs->addTab(page, QString::fromLatin1(tab.tabTitle));
        m_edits[i] = edit;
        const auto input = static_cast<Input>(i);
        connect(open, &QPushButton::clicked, this, [this, input] { openInput(input); });
        connect(edit, &QPlainTextEdit::textChanged, this, [this, input] { inputEdited(input); });
    }

    m_policyName->setObjectName(QStringLiteral("txtNewPolicyName"));
    m_policyName->setAccessibleName(QStringLiteral("New policy name"));
    m_policyName->setMaxLength(8);
    m_policyName->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z$#@][A-Za-z0-9$#@]{0,7}")), m_policyName));
    auto* nameLabel = new QLabel(QStringLiteral("New policy &name:"), this);
    nameLabel->setBuddy(m_policyName);
    connect(m_policyName, &QLineEdit::textChanged, this, &RunningGroupDialog::compare);
    connect(m_policyName, &QLineEdit::textEdited, this, &RunningGroupDialog::givenFilesChanged);

    m_table->setObjectName(QStringLiteral("tblRunningGroup"));
    m_table->setAccessibleName(QStringLiteral("Verdicts and actions"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Kind"),
                                        QStringLiteral("Verdict or action"),
                                        QStringLiteral("Running / recommended")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &RunningGroupDialog::showWhy);
    m_status->setObjectName(QStringLiteral("lblRunningStatus"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* outputs = new QTabWidget(this);
    outputs->setObjectName(QStringLiteral("tbsRunningOutputs"));
    outputs->setAccessibleName(QStringLiteral("New policy and steps"));
    const std::pair<QPlainTextEdit*, const char*> kOutputs[] = {{m_newPolicy, "New &Policy"},
                                                                {m_steps, "S&teps"}};
    int button = 0;
    for (const auto& output : kOutputs) {
        QPlainTextEdit* edit = output.first;
        auto* page = new QWidget(outputs);
        auto* layout = new QVBoxLayout(page);
        auto* row = new QHBoxLayout;
        const bool policy = edit == m_newPolicy;
        auto* copy = Button(policy ? "Cop&y Policy" : "Copy St&eps",
                            policy ? "cmdCopyNewPolicy" : "cmdCopySteps", page);
        auto* save = Button(policy ? "&Save Policy As…" : "Sa&ve Steps As…",
                            policy ? "cmdSaveNewPolicy" : "cmdSaveSteps", page);
        row->addWidget(copy);
        row->addWidget(save);
        row->addStretch();
        layout->addWidget(edit);
        layout->addLayout(row);
        outputs->addTab(page, QString::fromUtf8(output.second));
        m_outputButtons[button++] = copy;
        m_outputButtons[button++] = save;
        connect(copy, &QPushButton::clicked, this,
                [edit] { QGuiApplication::clipboard()->setText(edit->toPlainText()); });
        connect(save, &QPushButton::clicked, this, [this, edit, policy] {
            saveText(edit->toPlainText(), policy ? m_policyName->text().toLower() + ".jcl"
                                                 : QStringLiteral("running-group-steps.txt"));
        });
    }

    auto* whyBox = new QWidget(this);
    auto* whyLayout = new QVBoxLayout(whyBox);
    whyLayout->setContentsMargins(0, 0, 0, 0);
    auto* whyLabel = new QLabel(QStringLiteral("&Why"), whyBox);
    whyLabel->setBuddy(m_why);
    whyLayout->addWidget(whyLabel);
    whyLayout->addWidget(m_why);
    auto* tableBox = new QWidget(this);
    auto* tableLayout = new QVBoxLayout(tableBox);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    auto* tableLabel = new QLabel(QStringLiteral("Verdicts and &actions:"), tableBox);
    tableLabel->setBuddy(m_table);
    tableLayout->addWidget(tableLabel);
    tableLayout->addWidget(m_table);
    tableLayout->addWidget(m_status);

    auto* middle = new QSplitter(Qt::Horizontal, this);
    middle->addWidget(tableBox);
    middle->addWidget(whyBox);
    middle->setStretchFactor(0, 2);
    middle->setStretchFactor(1, 1);
    // The name goes with the texts it names a policy for.
    auto* top = new QWidget(this);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(m_policyName);
    nameRow->addStretch();
    topLayout->addWidget(inputs);
    topLayout->addLayout(nameRow);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(top);
    split->addWidget(middle);
    split->addWidget(outputs);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setStretchFactor(2, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addWidget(buttons);
    resize(1280, 900);
    setRecommendation(core::SizingResult{}, core::CfrmSource{}, QVariantMap{});
}

RunningGroupDialog::~RunningGroupDialog() = default;

void RunningGroupDialog::setRecommendation(const core::SizingResult& sizing,
                                           const core::CfrmSource& source,
                                           const QVariantMap& policyInputs) {
    *m_options = core::CfrmOptions{};
    *m_policy = core::CfrmPolicy{};
    m_policy->problem = ReadPolicyInputs(policyInputs, *m_options);
    if (m_policy->ok()) {
        *m_policy = core::MakeCfrmPolicy(sizing, source, *m_options);
    }
    compare();
}

QString RunningGroupDialog::newPolicyText() const { return m_newPolicy->toPlainText(); }
QString RunningGroupDialog::stepsText() const { return m_steps->toPlainText(); }

void RunningGroupDialog::openInput(Input input) {
    const std::optional<QString> path = m_opener.chooseTextFile(
        this, QStringLiteral("Open %1").arg(QString::fromLatin1(kInputTabs[input].accessibleName)));
    if (path && openFile(input, *path)) {
        emit givenFilesChanged();
    }
}

bool RunningGroupDialog::openFile(Input input, const QString& path) {
    std::string text;
    if (const auto reason = ReadText(path, kInputTabs[input].maxBytes, text)) {
        m_messages.showMessage(MessageIcon::kCritical, kTitle, kOpenFailedText,
                               QStringLiteral("%1\n%2").arg(path, FromUtf8(*reason)));
        return false;
    }
    Reads read;
    read.Read(input, text);
    if (const std::string& refusal = read.errors[input]; !refusal.empty()) {
        m_messages.showMessage(MessageIcon::kCritical, kTitle, kOpenFailedText,
                               QStringLiteral("%1: %2").arg(path, FromUtf8(refusal)));
        return false;
    }
    // The readers see the file's own bytes; the box shows them as well as it can.
    {
        const QSignalBlocker blocker(m_edits[input]);
        m_edits[input]->setPlainText(QString::fromUtf8(text));
    }
    m_texts[input] = std::move(text);
    m_paths[input] = path;
    m_reads->Take(input, std::move(read));
    compare();
    return true;
}

std::map<std::string, std::string> RunningGroupDialog::givenFiles() const {
    std::map<std::string, std::string> given;
    for (int input = 0; input < kInputCount; ++input) {
        if (!m_paths[input].isEmpty()) {
            given[kGivenFileKeys[input]] = m_paths[input].toStdString();
        }
    }
    if (!m_policyName->text().isEmpty()) {
        given[kGivenNameKey] = m_policyName->text().toStdString();
    }
    return given;
}

void RunningGroupDialog::openGivenFiles(const std::map<std::string, std::string>& given) {
    for (int input = 0; input < kInputCount; ++input) {
        if (const auto it = given.find(kGivenFileKeys[input]); it != given.end()) {
            (void)openFile(static_cast<Input>(input), QString::fromStdString(it->second));
        }
    }
    if (const auto it = given.find(kGivenNameKey); it != given.end()) {
        const QSignalBlocker blocker(m_policyName);
        m_policyName->setText(QString::fromStdString(it->second));
        compare();
    }
}

void RunningGroupDialog::inputEdited(Input input) {
    m_texts[input] = m_edits[input]->toPlainText().toStdString();
    if (!m_paths[input].isEmpty()) {
        m_paths[input].clear();  // the text no longer is the file's
        emit givenFilesChanged();
    }
    readInput(input);
    compare();
}

void RunningGroupDialog::readInput(Input input) {
    // An empty box is an input not given, not a text that holds nothing recognised.
    Reads read;
    if (!m_texts[input].empty()) {
        read.Read(input, m_texts[input]);
    }
    m_reads->Take(input, std::move(read));
}

void RunningGroupDialog::compare() {
    *m_group = core::RunningGroup{};
    QStringList status;
    for (int i = 0; i < kInputCount; ++i) {
        if (!m_reads->errors[i].empty()) {
            status << QStringLiteral("Error in %1: %2")
                          .arg(QString::fromLatin1(kInputTabs[i].accessibleName),
                               FromUtf8(m_reads->errors[i]));
        }
    }
    const std::optional<core::GbpDisplayRead>& gbp = m_reads->gbp;
    const std::optional<core::XcfDisplayRead>& xcf = m_reads->xcf;
    const std::optional<core::PolicySource>& source = m_reads->source;

    if (!m_policy->ok()) {
        status << QStringLiteral("Error in the CFRM Policy dialog's inputs: %1")
                      .arg(FromUtf8(m_policy->problem));
    } else if (source && m_policyName->text().isEmpty()) {
        status << QStringLiteral("Give the new policy a name.");
    } else if (gbp || xcf || source) {
        core::RunningInputs inputs;
        inputs.gbpDisplay = gbp ? &*gbp : nullptr;
        inputs.xcfDisplay = xcf ? &*xcf : nullptr;
        inputs.policySource = source ? &*source : nullptr;
        inputs.policyText = m_texts[kCurrentPolicy];
        inputs.newPolicyName = m_policyName->text().toStdString();
        *m_group = core::ReadRunningGroup(*m_policy, *m_options, inputs);
        if (!m_group->ok()) {
            status << QStringLiteral("Error: %1").arg(FromUtf8(m_group->status.message()));
        }
        for (const core::Warning& warning : m_group->warnings) {
            status << QStringLiteral("Warning (%1): %2")
                          .arg(FromUtf8(warning.code), FromUtf8(warning.message));
        }
    } else if (status.isEmpty()) {
        status << QStringLiteral("Open or paste a display or the current policy's job.");
    }
    m_status->setText(status.join('\n'));

    m_table->clearContents();
    m_table->setRowCount(0);
    const QStyle& style = *this->style();
    const auto addRow = [&](const std::string& name, const QString& kind,
                            const std::vector<std::string>& codes, const QString& figures) {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        m_table->setItem(row, 0, new QTableWidgetItem(FromUtf8(name)));
        m_table->setItem(row, 1, new QTableWidgetItem(kind));
        QStringList words;
        for (const std::string& code : codes) {
            words << CodeWords(code);
        }
        auto* verdict =
            new QTableWidgetItem(CodeIcon(style, codes.empty() ? std::string() : codes.front()),
                                 codes.empty() ? QStringLiteral("no shortage reported")
                                               : words.join(QStringLiteral("; ")));
        m_table->setItem(row, 2, verdict);
        auto* figuresItem = new QTableWidgetItem(figures);
        figuresItem->setToolTip(figures);
        m_table->setItem(row, 3, figuresItem);
    };
    for (const core::RunningGbp& g : m_group->gbps) {
        addRow(g.gbp, QStringLiteral("GBP"), g.verdicts,
               QStringLiteral("allocated %1, %2 directory entries, %3 data pages / INITSIZE %4, "
                              "%5 directory entries, %6 data entries")
                   .arg(Kb(g.allocatedSizeKb), Count(g.directoryEntries), Count(g.dataPages),
                        Kb(g.recommendedInitSizeKb), Count(g.recommendedDirectoryEntries),
                        Count(g.recommendedDataEntries)));
    }
    for (const core::RunningStructure& s : m_group->structures) {
        const auto initSize = [](const std::optional<core::StructureFigures>& f) {
            return f ? Kb(f->initSizeKb) : QStringLiteral("none");
        };
        addRow(
            s.name, QStringLiteral("Structure"), {s.action},
            QStringLiteral("INITSIZE %1 / %2").arg(initSize(s.current), initSize(s.recommended)));
    }
    m_table->resizeColumnsToContents();
    m_why->clear();

    m_newPolicy->setPlainText(FromUtf8(m_group->newPolicy));
    QStringList steps;
    for (const std::string& step : m_group->steps) {
        steps << FromUtf8(step);
    }
    if (m_group->steps.empty()) {
        for (const std::string& command : m_group->ratioCommands) {
            steps << FromUtf8(command);
        }
    }
    m_steps->setPlainText(steps.join('\n'));
    m_outputButtons[0]->setEnabled(!m_group->newPolicy.empty());
    m_outputButtons[1]->setEnabled(!m_group->newPolicy.empty());
    m_outputButtons[2]->setEnabled(!steps.isEmpty());
    m_outputButtons[3]->setEnabled(!steps.isEmpty());
}

void RunningGroupDialog::showWhy() {
    const int row = m_table->currentRow();
    const int gbps = static_cast<int>(m_group->gbps.size());
    if (row < 0 || row >= gbps + static_cast<int>(m_group->structures.size())) {
        m_why->clear();
        return;
    }
    // The figures first: the table's column is too narrow for a GBP's six.
    const QString figures = m_table->item(row, 3)->text() + QStringLiteral("\n");
    if (row < gbps) {
        m_why->setPlainText(figures + Joined(m_group->gbps[row].why, QStringLiteral("\n")));
        return;
    }
    const core::RunningStructure& s = m_group->structures[row - gbps];
    QString why = figures + Joined(s.why, QStringLiteral("\n"));
    if (!s.pending.empty()) {
        why += QStringLiteral("\nPending until the next allocation: ") +
               Joined(s.pending, QStringLiteral("; "));
    }
    m_why->setPlainText(why);
}

void RunningGroupDialog::saveText(const QString& text, const QString& suggestedName) {
    SaveTextAs(text, suggestedName, *m_saver, m_messages, this, kTitle, kSaveFailedText);
}

}  // namespace ui
