// State of each thread that calls reach on every run, found through a plain
// thread-local pointer: having no destructor of its own, the pointer is read
// without a call into the dynamic loader. The state is made on the thread's
// first use and freed at the thread's end.
#pragma once

namespace zolt {

template <class T>
class PerThread {
public:
    // The thread's state, made on first use; nullptr once freed at the
    // thread's end.
    static T* get() {
        if (!pointer_) [[unlikely]]
            make();
        return pointer_;
    }
    // The thread's state if it was made and is not freed yet; nullptr else.
    static T* made() { return pointer_; }

private:
    struct Owner {
        T state;
        Owner() { pointer_ = &state; }
        ~Owner() { pointer_ = nullptr; }
    };
    // Made once: after the thread's end has freed it, it stays freed.
    static void make() { thread_local Owner owner; }

    [[gnu::tls_model("initial-exec")]] static inline thread_local T* pointer_ = nullptr;
};

}  // namespace zolt
