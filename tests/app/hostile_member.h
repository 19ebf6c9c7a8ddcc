// A party member that misbehaves in the match, for the online end-to-end
// tests: it joins a party with the game's own WebSocket client, readies up,
// and once the match starts sends its own inputs, keeping pace with the
// ticks the other players' inputs have reached, until it misbehaves:
//   leavesAfterAGap:  after a while sends an input for a tick far in the
//                     future, then one that skips five ticks, and leaves;
//   rewritesInputs:   plays the whole match, but every message also carries
//                     ticks it sent before, with other contents.
// It runs on a thread of its own from start() until the object is destroyed.
#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

class WebSocket;

// "refused: MSG" when the text is the server's error message, else nothing.
std::string refusalIn(const std::string& text);
// Why a test client's connection ended: its last error, or "closed".
std::string endReason(const WebSocket& ws);

enum class Misbehaviour { leavesAfterAGap, rewritesInputs };

class HostileMember {
public:
    HostileMember(std::string serverUrl, std::string code, Misbehaviour how);
    ~HostileMember();
    HostileMember(const HostileMember&) = delete;
    HostileMember& operator=(const HostileMember&) = delete;

    void start();
    bool startedMatch() const { return slot_ >= 0; }
    bool left() const { return left_; }
    int slot() const { return slot_; }
    // Why it could not join (refused, or its connection ended before the
    // match began), or nothing.
    std::string trouble() const;

private:
    void run();

    std::string url_;
    Misbehaviour how_;
    std::atomic<int> slot_{-1};
    std::atomic<bool> left_{false};
    std::atomic<bool> stop_{false};
    mutable std::mutex troubleLock_;
    std::string trouble_;
    std::thread thread_;
};
