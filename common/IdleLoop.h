#pragma once

/// Long work is sliced into idle ticks: each handler does one bounded piece
/// of work per call of onSystemIdle(). Handlers register themselves (usually
/// in their constructor) and must unregister in their own destructor; the
/// base destructor unregisters again as a safety net.
class SystemIdleHandler {
public:
    virtual ~SystemIdleHandler();
    /// One slice of work; called once per tick while registered.
    virtual void onSystemIdle() = 0;
    /// Called by CleanupIdleHandlers() at exit (flush queues, stop workers).
    virtual void onSystemIdleCleanup() {}
};

/// Adds `handler` at the end of the tick order; a handler already registered
/// is not added twice. Safe from any thread. A handler registered during a
/// tick is first called on the next tick.
void RegisterSystemIdleHandler(SystemIdleHandler* handler);
/// Removes `handler`; unknown or null handlers are ignored. A handler
/// removed during a tick is not called again, not even later in that tick.
/// Called from another thread while the tick is running that very handler,
/// it waits until the call has returned, so the handler may be deleted next.
void UnregisterSystemIdleHandler(SystemIdleHandler* handler);
/// Calls every registered handler once, in registration order, on the
/// calling thread. A nested call (or one while another thread ticks) and a
/// call while the loop is paused return at once.
void OnSystemIdle();
/// Pauses the loop for modal work; calls nest and each pause needs a resume.
void PauseIdleLoop();
/// Undoes one PauseIdleLoop(); extra resumes are ignored.
void ResumeIdleLoop();
bool IsIdleLoopPaused();
/// Calls onSystemIdleCleanup() of every registered handler in registration
/// order. Handlers stay registered; they unregister when deleted.
void CleanupIdleHandlers();
int GetSystemIdleHandlerCount();
