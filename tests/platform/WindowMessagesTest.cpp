#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

#include "TestSupport.h"
#include "platform/Events.h"

namespace {

std::vector<std::uint32_t> MessagesOf(const CRecordingTarget& target) {
    std::vector<std::uint32_t> msgs;
    for (const ReceivedMessage& m : target.Received()) msgs.push_back(m.msg);
    return msgs;
}

TEST(PostMessage, ArrivesInOrderOnTheUiThread) {
    CRecordingTarget target;
    for (std::uint32_t msg : {101u, 102u, 103u})
        ASSERT_TRUE(PostMessage(target.Window(), msg, msg, 0));
    std::thread([&] {
        for (std::uint32_t msg : {104u, 105u, 106u}) PostMessage(target.Window(), msg, msg, 0);
    }).join();
    EXPECT_TRUE(target.Received().empty()) << "a post must not deliver at once";

    ASSERT_TRUE(RunEventsUntil([&] { return target.Count() == 6; }));
    EXPECT_EQ(MessagesOf(target), (std::vector<std::uint32_t>{101, 102, 103, 104, 105, 106}));
    for (const ReceivedMessage& m : target.Received()) EXPECT_TRUE(m.onUiThread);
}

TEST(PostMessage, DropsMessagesOfAVanishedWindow) {
    CRecordingTarget kept;
    auto gone = std::make_unique<CRecordingTarget>();
    const WindowHandle goneWindow = gone->Window();
    PostMessage(kept.Window(), 1, 0, 0);
    PostMessage(goneWindow, 2, 0, 0);
    PostMessage(kept.Window(), 3, 0, 0);
    gone.reset();  // pending message 2 now points at freed memory unless dropped

    ASSERT_TRUE(RunEventsUntil([&] { return kept.Count() == 2; }));
    EXPECT_EQ(MessagesOf(kept), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_FALSE(IsWindowHandleValid(goneWindow));
    EXPECT_FALSE(PostMessage(goneWindow, 4, 0, 0));
    EXPECT_FALSE(PostMessage(kNoWindow, 4, 0, 0));

    CRecordingTarget next;
    EXPECT_NE(next.Window(), goneWindow) << "a handle came back at once";
}

TEST(SendMessage, OnTheUiThreadIsADirectCall) {
    CRecordingTarget target;
    EXPECT_EQ(SendMessage(target.Window(), 7, 40, 2), 42);
    EXPECT_EQ(target.Count(), 1u);
    EXPECT_EQ(SendMessage(kNoWindow, 7, 40, 2), 0);
}

TEST(SendMessage, FromAWorkerWaitsUntilTheUiThreadHandledIt) {
    CRecordingTarget target;
    std::atomic<bool> handlerDone{false};
    target.SetOnMessage([&](const ReceivedMessage&) { handlerDone = true; });
    CManualResetEvent returned;
    LRESULT result = 0;
    bool handlerRanFirst = false;
    std::thread worker([&] {
        result = SendMessage(target.Window(), 9, 40, 2);
        handlerRanFirst = handlerDone;
        returned.Set();
    });
    EXPECT_FALSE(returned.Wait(30)) << "returned before the UI thread handled it";

    ASSERT_TRUE(RunEventsUntil([&] { return returned.IsSet(); }));
    worker.join();
    EXPECT_TRUE(handlerRanFirst);
    EXPECT_EQ(result, 42);
    ASSERT_EQ(target.Count(), 1u);
    EXPECT_TRUE(target.Received()[0].onUiThread);
}

TEST(SendMessage, FromAWorkerReturnsZeroWhenAborted) {
    CRecordingTarget target;
    CManualResetEvent abort;
    CManualResetEvent returned;
    LRESULT result = -1;
    std::thread worker([&] {
        result = SendMessage(target.Window(), 9, 40, 2, &abort);
        returned.Set();
    });
    EXPECT_FALSE(returned.Wait(20));
    abort.Set();  // the UI thread is busy elsewhere, as when it waits for this thread
    EXPECT_TRUE(returned.Wait(2000));
    worker.join();
    EXPECT_EQ(result, 0);

    // The message is still handled late, and its completion must find live memory.
    ASSERT_TRUE(RunEventsUntil([&] { return target.Count() == 1; }));
}

TEST(SendMessage, FromAWorkerToAnInvalidHandleReturnsAtOnce) {
    LRESULT result = -1;
    std::thread([&] { result = SendMessage(kNoWindow, 9, 1, 1); }).join();
    EXPECT_EQ(result, 0);
}

TEST(UiPost, RunsOnTheUiThreadInOrderWithMessages) {
    CRecordingTarget target;
    bool callOnUiThread = false;
    std::thread([&] {
        PostMessage(target.Window(), 1, 0, 0);
        UiPost([&] {
            callOnUiThread = IsUiThread();
            SendMessage(target.Window(), 2, 0, 0);
        });
        PostMessage(target.Window(), 3, 0, 0);
    }).join();
    ASSERT_TRUE(RunEventsUntil([&] { return target.Count() == 3; }));
    EXPECT_EQ(MessagesOf(target), (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_TRUE(callOnUiThread);
}

TEST(IsUiThread, OnlyOnTheApplicationThread) {
    EXPECT_TRUE(IsUiThread());
    bool onWorker = true;
    std::thread([&] { onWorker = IsUiThread(); }).join();
    EXPECT_FALSE(onWorker);
}

TEST(PostQuitMessage, EndsNestedLoopsWithItsCode) {
    bool nestedEnded = false;
    UiPost([&] {
        QEventLoop nested;  // a modal loop inside the main loop
        PostQuitMessage(7);
        nested.exec();
        nestedEnded = true;
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(-1); });  // guard against a hang
    EXPECT_EQ(QCoreApplication::exec(), 7);
    EXPECT_TRUE(nestedEnded);
}

TEST(RegisterWindowMessage, EqualNamesGiveEqualNumbers) {
    const std::uint32_t update = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
    const std::uint32_t light = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
    EXPECT_GE(update, Msg::FirstRegistered);
    EXPECT_GE(light, Msg::FirstRegistered);
    EXPECT_NE(update, light);
    EXPECT_EQ(RegisterWindowMessage("{4695579f-999a-41D4-9faf-effce93ebf15}"), update);
    EXPECT_EQ(RegisteredMessageName(update), "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
    EXPECT_EQ(LookupRegisteredMessage("{4695579F-999A-41D4-9FAF-EFFCE93EBF16}"), light);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
    EXPECT_EQ(RegisteredMessageName(Msg::User), std::nullopt);
}

TEST(RegisterWindowMessage, LookupNeverRegisters) {
    EXPECT_EQ(LookupRegisteredMessage("LookupNeverRegisters"), std::nullopt);
    EXPECT_EQ(LookupRegisteredMessage("LookupNeverRegisters"), std::nullopt);
}

TEST(RegisterWindowMessage, ThreadsRacingForOneNameGetOneNumber) {
    std::vector<std::uint32_t> numbers(8);
    std::vector<std::thread> threads;
    for (std::size_t n = 0; n < numbers.size(); ++n)
        threads.emplace_back([&numbers, n] {
            numbers[n] = RegisterWindowMessage(n % 2 ? "WM_HOOK_RACE" : "wm_hook_race");
        });
    for (std::thread& t : threads) t.join();
    for (const std::uint32_t number : numbers) EXPECT_EQ(number, numbers[0]);
}

}  // namespace
