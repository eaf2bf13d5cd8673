#pragma once

namespace VEXA {

// Counts the device calls under way on threads of their own, so that shutdown can wait for every one of them
// before the discovery handler they use goes. Any thread may take or return a ticket.
class DeviceCalls {
public:
    // Held for the whole life of one device call: taken before its thread starts, dropped when it returns.
    class Ticket {
    public:
        Ticket();
        ~Ticket();
        Ticket(Ticket&& other) noexcept;
        Ticket(const Ticket&) = delete;
        Ticket& operator=(const Ticket&) = delete;
        Ticket& operator=(Ticket&&) = delete;
        // Ends the call's share early (the call has returned; only its hand-over is left).
        void release();

    private:
        bool m_held = true;
    };

    static int running();
    // Blocks until no call is under way.
    static void waitForAll();
};

} // namespace VEXA
