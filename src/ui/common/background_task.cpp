// One job at a time on a worker thread.
#include "ui/common/background_task.hpp"

#include <exception>

namespace spot {

BackgroundTask::~BackgroundTask() {
  cancel();
  join();
}

void BackgroundTask::join() {
  if (thread_.joinable()) thread_.join();
}

void BackgroundTask::start(Work work) {
  cancel();
  join();
  auto stop = std::make_shared<std::atomic<bool>>(false);
  stop_ = stop;
  const unsigned run = ++run_;
  running_ = true;
  emit runningChanged(true);
  // The thread ends before this object does (the destructor joins it), so `this` stays valid
  // while it runs; a result posted to an object already gone is dropped by Qt.
  thread_ = std::thread([this, work = std::move(work), stop, run] {
    std::function<void()> deliver;
    QString error;
    try {
      deliver = work(*stop);
    } catch (const std::exception& e) {
      error = QString::fromLocal8Bit(e.what());
    } catch (...) {
      error = QStringLiteral("an unknown failure");
    }
    QMetaObject::invokeMethod(
        this, [this, run, deliver = std::move(deliver), error] { finish(run, deliver, error); },
        Qt::QueuedConnection);
  });
}

void BackgroundTask::cancel() {
  if (!running_) return;
  stop_->store(true);
  ++run_;
  running_ = false;
  emit runningChanged(false);
}

void BackgroundTask::finish(unsigned run, const std::function<void()>& deliver,
                            const QString& error) {
  if (run != run_ || !running_) return; // cancelled meanwhile
  join();                               // the thread has nothing left to do but return
  running_ = false;
  emit runningChanged(false);
  if (!error.isEmpty())
    emit failed(error);
  else if (deliver)
    deliver();
}

} // namespace spot
