#include "core/session.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/object_selection.h"
#include "core/pool_sharing.h"
#include "core/result_warnings.h"
#include "core/sizing.h"
#include "core/sweep.h"
#include "tests/core/test_lines.h"

namespace core {
namespace {

const std::string kSample = LOOMSTEAD_SAMPLES_DIR "/db1a.sta";
const std::string kSecond = LOOMSTEAD_SAMPLES_DIR "/db1b.sim";

// Leaving the files page as the desktop does: hold the choices, read aside, adopt a read that
// succeeded; `account` gets what the held choices could not keep.
LoadResult LeaveFilesPage(Session& session, const FileSource& source, PlanAccount* account) {
    session.HoldChoices();
    Session::Read read = Session::ReadAside(session.tables().lstSelectedFiles, source);
    LoadResult load = read.load;
    if (load.ok()) {
        PlanAccount kept = session.Adopt(std::move(read));
        if (account != nullptr) {
            *account = std::move(kept);
        }
    }
    return load;
}

// A session with the sample loaded, every pool shared and the first object of the first shared
// pool cached: choices a reload must keep.
class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddSelectedFile(m_session.tables(), kSample);
        PlanAccount account;
        ASSERT_TRUE(LeaveFilesPage(m_session, m_disk, &account).ok());
        EXPECT_TRUE(account.empty());
        (void)ShareAllPools(m_session.tables());  // work-file pools refuse; the rest share
        m_session.EnterObjectsPage();
        CoreTables& tables = m_session.tables();
        ASSERT_FALSE(tables.lstSharedPools.empty());
        PoolObjects page;
        ShowPoolObjects(tables, tables.lstSharedPools.front(), page);
        ASSERT_FALSE(page.lines.empty());
        ToggleObjectCached(tables, page, 0, true);
        m_cachedLine = page.lines.front();
        m_session.SetTypedNumbers("3", "6");
    }

    Choices ChoicesNow() const { return TakeChoices(m_session.tables()); }

    DiskFileSource m_disk;
    Session m_session;
    int32_t m_cachedLine = 0;
};

TEST_F(SessionTest, AReloadKeepsTheChoicesAndAFailedOneKeepsEverything) {
    const Choices before = ChoicesNow();

    // A file that fails: the tables, the held choices and the last load stay as they were.
    testing::MemoryFileSource failing;
    failing.Fail(kSample, FileErrorReason::kReadFailed);
    const LoadResult failed = LeaveFilesPage(m_session, failing, nullptr);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.status.path(), kSample);
    EXPECT_TRUE(m_session.holdsChoices());
    EXPECT_EQ(ChoicesNow(), before);
    EXPECT_TRUE(m_session.lastLoad().ok());

    // The next try puts the held choices back on the fresh tables, with the texts they carry.
    m_session.SetTypedNumbers("9", "9");
    PlanAccount account;
    ASSERT_TRUE(LeaveFilesPage(m_session, m_disk, &account).ok());
    EXPECT_TRUE(account.empty());
    EXPECT_FALSE(m_session.holdsChoices());
    m_session.EnterObjectsPage();
    EXPECT_EQ(ChoicesNow(), before);
    EXPECT_NE(m_session.tables().lstData[static_cast<size_t>(m_cachedLine)].ItemData, 0);
    EXPECT_EQ(m_session.membersText(), "3");
    EXPECT_EQ(m_session.ecsaText(), "6");
}

// Each reload accounts for what the held choices could not keep as they were: objects new under
// Cache All, objects gone with their file, pools gone with the last file.
TEST_F(SessionTest, AReloadAccountsForTheObjectsAndPoolsThatCameOrWent) {
    const auto kinds = [](const PlanAccount& account) {
        std::map<PlanItemKind, size_t> counts;
        for (const PlanItem& item : account) {
            ++counts[item.kind];
        }
        return counts;
    };
    const auto reload = [this] {
        PlanAccount account;
        EXPECT_TRUE(LeaveFilesPage(m_session, m_disk, &account).ok());
        m_session.EnterObjectsPage();
        return account;
    };
    const auto bp3 = [this] {
        PoolObjects page;
        ShowPoolObjects(m_session.tables(), "BP3", page);
        return page;
    };
    PoolObjects page = bp3();
    ASSERT_EQ(page.listed, 36);
    page.box = CacheBoxState::kChecked;
    CacheAllObjects(m_session.tables(), page);

    AddSelectedFile(m_session.tables(), kSecond);
    PlanAccount account = reload();
    EXPECT_EQ(kinds(account),
              (std::map<PlanItemKind, size_t>{{PlanItemKind::kObjectNewUnderCacheAll, 29}}));
    EXPECT_EQ(account.front().pool, "BP3");
    EXPECT_EQ(bp3().listed, 65);
    EXPECT_EQ(bp3().cached, 65);

    RemoveSelectedFile(m_session.tables(), 0);
    account = reload();
    EXPECT_EQ(kinds(account), (std::map<PlanItemKind, size_t>{{PlanItemKind::kObjectMissing, 36}}));
    EXPECT_EQ(bp3().cached, 29);  // db1b's, still under Cache All
    EXPECT_EQ(m_session.tables().lvSharedPools.size(), 5u);

    RemoveSelectedFile(m_session.tables(), 0);
    account = reload();
    EXPECT_EQ(kinds(account)[PlanItemKind::kPoolMissing], 5u);
    EXPECT_TRUE(m_session.tables().lvSharedPools.empty());
}

TEST_F(SessionTest, AdoptAppliesAPlanInsteadOfTheHeldChoices) {
    const PlanCapture capture = m_session.CapturePlan();
    EXPECT_TRUE(capture.account.empty());
    m_session.HoldChoices();

    // A plan of no choices, read with the same files: the plan wins, the held choices go.
    Plan plan;
    plan.membersText = "5";
    plan.ecsaText = "7";
    Session::Read read = Session::ReadAside({kSample}, m_disk);
    ASSERT_TRUE(read.load.ok());
    const PlanAccount account = m_session.Adopt(
        std::move(read), &plan, {{PlanItemKind::kPoolMissing, "earlier", "", "", "found before"}});
    ASSERT_EQ(account.size(), 1u);
    EXPECT_EQ(account.front().pool, "earlier");
    EXPECT_FALSE(m_session.holdsChoices());
    EXPECT_TRUE(m_session.tables().lvSharedPools.empty());
    EXPECT_EQ(m_session.membersText(), "5");
    EXPECT_EQ(m_session.ecsaText(), "7");
    EXPECT_FALSE(m_session.lastRun().has_value());

    // The captured plan puts every choice back.
    EXPECT_TRUE(m_session.ApplyPlan(capture.plan).empty());
    m_session.EnterObjectsPage();
    EXPECT_EQ(WritePlanJson(m_session.CapturePlan().plan, "/"), WritePlanJson(capture.plan, "/"));
    EXPECT_EQ(m_session.membersText(), "3");
}

TEST_F(SessionTest, TheResultsAreThoseOfAPlainRunAndFollowTheChoices) {
    const SizingRun& run = m_session.EnterResults({{"first", "given"}}, {{"P", "f", "m"}});
    const SizingResult plain = RunSizing(m_session.tables(), "3", "6");
    EXPECT_EQ(run.result, plain);
    ASSERT_FALSE(run.warnings.empty());
    EXPECT_EQ(run.warnings.front().code, "first");
    const std::vector<Warning> found = CheckResultWarnings(m_session.tables(), plain, "3", "6");
    EXPECT_EQ(run.warnings.size(), found.size() + 1);
    ASSERT_EQ(run.refusals.size(), 1u);
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_EQ(run.files.front().path, kSample);
    EXPECT_FALSE(run.files.front().collectionTime.empty());
    EXPECT_EQ(run.membersText, "3");
    EXPECT_EQ(run.dataSizeText, m_session.lastLoad().dataSizeText);

    // The sweep comes from the same basis and equals plain runs.
    const std::vector<SweepPoint>& sweep = m_session.SweepLastRun({2, 4});
    ASSERT_EQ(sweep.size(), 3u);
    EXPECT_EQ(sweep[1].result, RunSizing(m_session.tables(), "3", "6"));
    EXPECT_EQ(&sweep, &m_session.lastRun()->sweep);

    // A returned pool is a change of choices: the basis is made again.
    const SizingBasis before = m_session.SizingBasisNow();
    UnsharePool(m_session.tables(), 0);
    m_session.EnterObjectsPage();
    const SizingBasis after = m_session.SizingBasisNow();
    EXPECT_NE(before.base, after.base);
    EXPECT_EQ(after.base, PrepareSizing(m_session.tables()).base);
    EXPECT_EQ(m_session.EnterResults().result, RunSizing(m_session.tables(), "3", "6"));
}

TEST_F(SessionTest, ThePolicySourceDescribesTheLastRunsFiles) {
    (void)m_session.EnterResults({{"typed", "a warning"}});
    const CfrmSource source =
        m_session.PolicySource("2026-12-07", "3", "6", [](const InputFile& file) {
            return CfrmSource::File{"<" + file.path + ">", file.collectionTime};
        });
    ASSERT_EQ(source.files.size(), 1u);
    EXPECT_EQ(source.files.front().path, "<" + kSample + ">");
    EXPECT_EQ(source.date, "2026-12-07");
    EXPECT_FALSE(source.version.empty());
    ASSERT_EQ(source.warnings.size(), m_session.lastRun()->warnings.size());
    EXPECT_EQ(source.warnings.front().code, "typed");
}

}  // namespace
}  // namespace core
