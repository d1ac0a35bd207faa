// Long work off the window's thread: one job at a time, cancelled by a stop flag it reads, its
// result handed back on the window's thread only if nobody cancelled it meanwhile.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace spot {

class BackgroundTask : public QObject {
  Q_OBJECT
public:
  /// Runs on the worker thread; returns what then runs on the window's thread with its result.
  /// It should look at `stop` often and return soon once it is set.
  using Work = std::function<std::function<void()>(const std::atomic<bool>& stop)>;

  using QObject::QObject;
  /// Cancels the job and waits for its thread, which the stop flag ends soon.
  ~BackgroundTask() override;

  /// Cancels the job running, if any, then starts `work`.
  void start(Work work);
  /// Sets the running job's stop flag and forgets it: its result is never delivered. The window
  /// does not wait for the thread; the next start or the destructor does.
  void cancel();
  /// A job was started and has neither delivered nor been cancelled.
  bool isRunning() const { return running_; }

signals:
  /// Started; or ended by a cancel, or just before the result is delivered or `failed`.
  void runningChanged(bool running);
  /// The job stopped on an exception (out of memory, say); `what` says why.
  void failed(const QString& what);

private:
  void finish(unsigned run, const std::function<void()>& deliver, const QString& error);
  void join();

  std::thread thread_;
  std::shared_ptr<std::atomic<bool>> stop_;
  unsigned run_ = 0; ///< counts jobs started and cancelled, so a late result is recognised
  bool running_ = false;
};

} // namespace spot
