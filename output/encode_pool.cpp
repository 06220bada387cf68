#include "output/encode_pool.h"

#include <algorithm>
#include <cstring>
#include <new>

EncodePool::EncodePool(int threads, size_t frameBytes, std::function<Encoder()> makeEncoder, Hooks hooks)
    : limit_(static_cast<size_t>(std::max(threads, 1))), frameBytes_(frameBytes) {
    for (size_t i = 0; i < limit_; ++i)
        threads_.emplace_back(&EncodePool::Run, this, makeEncoder, hooks);
}

EncodePool::~EncodePool() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        ending_ = true;
    }
    work_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

bool EncodePool::Submit(const uint8_t* pixels, int64_t time100ns) {
    std::unique_ptr<Job> job;
    {
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait(guard, [this] {
            return std::count_if(jobs_.begin(), jobs_.end(), [](const auto& j) { return !j->done; }) <
                   static_cast<ptrdiff_t>(limit_);
        });
        if (!spare_.empty()) {
            job = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    try {
        if (!job)
            job = std::make_unique<Job>();
        job->pixels.resize(frameBytes_);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::memcpy(job->pixels.data(), pixels, frameBytes_);
    job->time100ns = time100ns;
    job->started = job->done = job->ok = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        jobs_.push_back(std::move(job));
    }
    work_.notify_one();
    return true;
}

size_t EncodePool::Collect(bool waitAll, const Sink& sink) {
    size_t handed = 0;
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        if (waitAll)
            changed_.wait(guard, [this] { return jobs_.empty() || jobs_.front()->done; });
        if (jobs_.empty() || !jobs_.front()->done)
            return handed;
        std::unique_ptr<Job> job = std::move(jobs_.front());
        jobs_.pop_front();
        guard.unlock();
        sink(job->time100ns, job->ok, job->bytes);
        ++handed;
        guard.lock();
        spare_.push_back(std::move(job));
    }
}

size_t EncodePool::InFlight() const {
    std::lock_guard<std::mutex> guard(lock_);
    return jobs_.size();
}

void EncodePool::Run(std::function<Encoder()> makeEncoder, Hooks hooks) {
    if (hooks.threadStarting)
        hooks.threadStarting();
    {
        Encoder encode = makeEncoder();
        std::unique_lock<std::mutex> guard(lock_);
        for (;;) {
            Job* job = nullptr;
            work_.wait(guard, [&] {
                for (auto& j : jobs_) {
                    if (!j->started) {
                        job = j.get();
                        return true;
                    }
                }
                return ending_;
            });
            if (!job)
                break;
            job->started = true;
            guard.unlock();
            const bool ok = encode && encode(job->pixels.data(), job->bytes);
            guard.lock();
            job->ok = ok;
            job->done = true;
            changed_.notify_all();
        }
    }
    if (hooks.threadEnding)
        hooks.threadEnding();
}
