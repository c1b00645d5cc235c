#include "core/session.h"

#include <utility>

#include "core/object_selection.h"
#include "core/pool_sharing.h"
#include "core/result_warnings.h"
#include "core/version.h"

namespace core {
namespace {

// A reload keeps nothing the user chose unless there was something to keep.
bool HasChoices(const Plan& choices) { return !choices.pools.empty() || !choices.objects.empty(); }

}  // namespace

void Session::SetTypedNumbers(std::string membersText, std::string ecsaText) {
    m_membersText = std::move(membersText);
    m_ecsaText = std::move(ecsaText);
}

Session::Read Session::ReadAside(const std::vector<std::string>& files, const FileSource& source,
                                 LoadObserver* observer) {
    Read read;
    read.tables.lstSelectedFiles = files;
    read.tables.FilesChanged = true;
    read.load = LoadDataFiles(read.tables, source, observer);
    if (read.load.ok()) {
        CountWorkFileObjects(read.tables);
    }
    return read;
}

void Session::HoldChoices() {
    if (m_heldChoices) {
        return;
    }
    PlanCapture capture = CapturePlan();
    if (HasChoices(capture.plan)) {
        m_heldChoices = std::move(capture);
    }
}

void Session::DropHeldChoices() { m_heldChoices.reset(); }

PlanAccount Session::Adopt(Read&& read, const Plan* plan, PlanAccount earlier) {
    m_tables = std::move(read.tables);
    m_lastLoad = std::move(read.load);
    m_lastRun.reset();
    m_basis.reset();
    std::optional<PlanCapture> held = std::exchange(m_heldChoices, std::nullopt);
    const Plan* apply = plan;
    if (apply == nullptr && held) {
        // What the capture could not keep comes first, as it happened first.
        earlier.insert(earlier.end(), std::make_move_iterator(held->account.begin()),
                       std::make_move_iterator(held->account.end()));
        apply = &held->plan;
    }
    if (apply != nullptr) {
        PlanAccount applied = ApplyPlan(*apply);
        earlier.insert(earlier.end(), std::make_move_iterator(applied.begin()),
                       std::make_move_iterator(applied.end()));
    }
    return earlier;
}

PlanCapture Session::CapturePlan() const {
    return core::CapturePlan(m_tables, m_membersText, m_ecsaText);
}

PlanAccount Session::ApplyPlan(const Plan& plan) {
    PlanAccount account = core::ApplyPlan(m_tables, plan);
    SetTypedNumbers(plan.membersText, plan.ecsaText);
    return account;
}

void Session::EnterObjectsPage() { RebuildSharedPoolList(m_tables); }

const SizingRun& Session::EnterResults(std::vector<Warning> warnings,
                                       std::vector<ShareRefusal> refusals,
                                       SizingObserver* observer) {
    if (observer != nullptr) {
        observer->StepStarting(SizingStep::kScaSize);
    }
    RebuildSharedPoolList(m_tables);
    SizingRun run;
    // What does not depend on the typed numbers is shared with What If.
    run.result = SizeForMembers(SizingBasisNow(), m_membersText, m_ecsaText, observer);
    run.files = DescribeInputFiles(m_tables);
    run.dataSizeText = m_lastLoad.dataSizeText;
    std::vector<Warning> found =
        CheckResultWarnings(m_tables, run.result, m_membersText, m_ecsaText);
    run.warnings = std::move(warnings);
    run.warnings.insert(run.warnings.end(), std::make_move_iterator(found.begin()),
                        std::make_move_iterator(found.end()));
    run.refusals = std::move(refusals);
    run.membersText = m_membersText;
    run.ecsaText = m_ecsaText;
    m_lastRun = std::move(run);
    return *m_lastRun;
}

const std::vector<SweepPoint>& Session::SweepLastRun(const SweepOptions& options) {
    std::vector<SweepPoint> points = SweepMembers(SizingBasisNow(), m_ecsaText, options);
    if (!m_lastRun) {
        m_lastRun.emplace();
    }
    m_lastRun->sweep = std::move(points);
    return m_lastRun->sweep;
}

const SizingBasis& Session::SizingBasisNow() {
    Choices now = TakeChoices(m_tables);
    // Adopt drops the basis of the old tables; a change of choices is found here.
    if (!m_basis || !(now == m_basisChoices)) {
        m_basis = PrepareSizing(m_tables);
        m_basisChoices = std::move(now);
    }
    return *m_basis;
}

CfrmSource Session::PolicySource(
    const std::string& date, const std::string& membersTyped, const std::string& ecsaTyped,
    const std::function<CfrmSource::File(const InputFile&)>& describe) const {
    CfrmSource source;
    for (const InputFile& file : m_lastRun->files) {
        source.files.push_back(describe(file));
    }
    source.membersText = membersTyped;
    source.ecsaText = ecsaTyped;
    source.version = kVersion;
    source.date = date;
    source.warnings = m_lastRun->warnings;
    return source;
}

}  // namespace core
