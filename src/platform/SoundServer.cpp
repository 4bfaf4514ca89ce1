#include "SoundServer.h"

#include <QElapsedTimer>
#include <QThread>

#include <pulse/context.h>
#include <pulse/mainloop.h>

namespace SoundServer {

bool answers(int timeoutMs)
{
    // A main loop of this call's own, turned here: nothing is shared with the
    // audio library's context, which another thread may be using.
    pa_mainloop* loop = pa_mainloop_new();
    if (loop == nullptr)
        return false;
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "typing sounds check");
    bool answered = false;
    if (context != nullptr && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        QElapsedTimer waited;
        waited.start();
        const QThread* self = QThread::currentThread();
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            answered = state == PA_CONTEXT_READY;
            if (answered || !PA_CONTEXT_IS_GOOD(state) || waited.elapsed() >= timeoutMs
                || self->isInterruptionRequested())
                break;
            // One turn of the loop, waiting a tenth of a second at most, so
            // that a quit is never held up for longer.
            if (pa_mainloop_prepare(loop, 100 * 1000) < 0 || pa_mainloop_poll(loop) < 0
                || pa_mainloop_dispatch(loop) < 0)
                break;
        }
        pa_context_disconnect(context);
    }
    if (context != nullptr)
        pa_context_unref(context);
    pa_mainloop_free(loop);
    return answered;
}

} // namespace SoundServer
