// The session: the state both programs walk through, page by page, and the steps that cross
// pages. The desktop program and the batch sizer drive one Session each; neither calls the
// loader, the sizing or the plan's apply and capture on its own, so that the order of the steps
// (load, count the work files, put the held choices back, rebuild the shared list, size, check
// the results) is written once, here.
//
// Threading: ReadAside is static, touches no session and may run on any thread. Every other
// member runs on the thread that owns the session.
#ifndef CORE_SESSION_H_
#define CORE_SESSION_H_

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/cfrm_policy.h"
#include "core/choices.h"
#include "core/io/file_source.h"
#include "core/loader.h"
#include "core/plan.h"
#include "core/sizing.h"
#include "core/sizing_run.h"
#include "core/sweep.h"
#include "core/tables.h"

namespace core {

class Session {
public:
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The tables the pages show and change. Page-level actions (share, return, cache) act on
    // them directly; anything else that changes them must go through the members below.
    CoreTables& tables() { return m_tables; }
    const CoreTables& tables() const { return m_tables; }

    // The two typed numbers as the sizing reads them.
    void SetTypedNumbers(std::string membersText, std::string ecsaText);
    const std::string& membersText() const { return m_membersText; }
    const std::string& ecsaText() const { return m_ecsaText; }

    // The plan's "cfrm" entries: the policy dialog's inputs and the running group's files.
    void SetPolicyInputs(std::map<std::string, std::string> inputs) {
        m_policyInputs = std::move(inputs);
    }
    const std::map<std::string, std::string>& policyInputs() const { return m_policyInputs; }

    // What the last adopted load said; empty before one.
    const LoadResult& lastLoad() const { return m_lastLoad; }
    // The last run of EnterResults; nullopt before one.
    const std::optional<SizingRun>& lastRun() const { return m_lastRun; }

    // What ReadAside brings back: tables that are loaded and counted, and the load's result.
    struct Read {
        CoreTables tables;
        LoadResult load;
    };
    // Loads `files` into fresh tables and counts their work-file objects (when the load
    // succeeded). Touches no session: may run on any thread, the observer told as LoadDataFiles
    // tells it.
    [[nodiscard]] static Read ReadAside(const std::vector<std::string>& files,
                                        const FileSource& source, LoadObserver* observer = nullptr);

    // Holds the choices of the tables now (with the two texts), so that a reload can put them
    // back; nothing is held when the tables hold no share and no cached object, and choices
    // already held are kept (a failed load keeps them for the next try).
    void HoldChoices();
    bool holdsChoices() const { return m_heldChoices.has_value(); }
    void DropHeldChoices();

    // Takes a successful read as the session's tables, then applies `plan` if given, else the
    // held choices (which are dropped), with the two texts they carry. Returns the account of
    // what could not be applied, after `earlier`. The last run and the sizing basis go.
    [[nodiscard]] PlanAccount Adopt(Read&& read, const Plan* plan = nullptr,
                                    PlanAccount earlier = {});

    // The plan of the tables and texts now (files not described: the front end hashes them).
    [[nodiscard]] PlanCapture CapturePlan() const;
    // Applies a plan's choices to the tables now, and its texts and policy inputs.
    [[nodiscard]] PlanAccount ApplyPlan(const Plan& plan);

    // Entering the objects page: the list of shared pools follows the shares.
    void EnterObjectsPage();

    // Entering the results: rebuilds the shared list, sizes the tables for the two texts (from
    // SizingBasisNow, so equal to RunSizing), checks the results and keeps the run. `warnings` come
    // first in the run's list (the typed numbers' own, say); `refusals` are the shares refused on
    // the way.
    const SizingRun& EnterResults(std::vector<Warning> warnings = {},
                                  std::vector<ShareRefusal> refusals = {},
                                  SizingObserver* observer = nullptr);

    // The growth points of the tables and choices now, for the ECSA text of the session, added
    // to the last run when there is one.
    const std::vector<SweepPoint>& SweepLastRun(const SweepOptions& options);

    // The member-independent part of the sizing of the tables and choices now, made when first
    // asked for and kept until the tables or choices change. A copy may be sized on any thread.
    // REQUIRES: the shared list follows the shares (EnterObjectsPage or EnterResults since).
    const SizingBasis& SizingBasisNow();

    // The policy's source for the last run: its files described by `describe` (a front end
    // shows paths and data text in its own way), the two texts as typed, the program version,
    // `date` and the run's warnings. REQUIRES: lastRun().
    [[nodiscard]] CfrmSource PolicySource(
        const std::string& date, const std::string& membersTyped, const std::string& ecsaTyped,
        const std::function<CfrmSource::File(const InputFile&)>& describe) const;

private:
    CoreTables m_tables;
    std::string m_membersText;
    std::string m_ecsaText;
    std::map<std::string, std::string> m_policyInputs;
    LoadResult m_lastLoad;
    std::optional<SizingRun> m_lastRun;
    std::optional<PlanCapture> m_heldChoices;
    // The basis and the choices it was made from: a later change of either makes it stale.
    std::optional<SizingBasis> m_basis;
    Choices m_basisChoices;
};

}  // namespace core

#endif  // CORE_SESSION_H_
