#include "cli/SweepJobs.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "formula/Checks.h"

namespace {

// The row and frame of one value, as the parent needs them.
struct TResult {
  Sweep::TRow Row;
  QImage Frame;
};

TResult DrawOne(Drawing::TDrawingData& data, TPictures& pictures, const TSweepWork& work, int k) {
  TResult result;
  TView shown;
  result.Row = Sweep::DrawValue(data, pictures, work.Values.at(k), work.View, shown);
  if (work.WantFrames) result.Frame = Sweep::Frame(pictures, work.WithSquare);
  return result;
}

// --- the pipe between a child and the parent: fixed-size fields, then the message and
// the frame's 32-bit pixels, in the layout of this very program on both ends.

bool WriteAll(int fd, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

void ReadAll(int fd, void* data, std::size_t size) {
  char* bytes = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = ::read(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw WendrixError("a drawing process of the sweep ended before sending its results");
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
}

struct THead {
  bool Drawn;
  HullMeasures::TMeasures Measures;
  double Ms;
  std::uint32_t ErrorSize;
  std::int32_t Width, Height;
};

bool SendResult(int fd, const TResult& result) {
  const QImage& frame = result.Frame;
  const THead head{result.Row.Drawn, result.Row.Measures, result.Row.Ms,
                   static_cast<std::uint32_t>(result.Row.Error.size()), frame.width(), frame.height()};
  if (!WriteAll(fd, &head, sizeof head) || !WriteAll(fd, result.Row.Error.data(), result.Row.Error.size()))
    return false;
  for (int y = 0; y < frame.height(); ++y)
    if (!WriteAll(fd, frame.constScanLine(y), 4 * static_cast<std::size_t>(frame.width()))) return false;
  return true;
}

TResult ReceiveResult(int fd, const Sweep::TValue& value) {
  THead head;
  ReadAll(fd, &head, sizeof head);
  TResult result;
  result.Row.Value = value;
  result.Row.Drawn = head.Drawn;
  result.Row.Measures = head.Measures;
  result.Row.Ms = head.Ms;
  result.Row.Error.resize(head.ErrorSize);
  ReadAll(fd, result.Row.Error.data(), head.ErrorSize);
  if (head.Width > 0 && head.Height > 0) {
    result.Frame = QImage(head.Width, head.Height, QImage::Format_RGB32);
    if (result.Frame.isNull()) throw WendrixError("not enough memory for a frame of the sweep");
    for (int y = 0; y < head.Height; ++y) ReadAll(fd, result.Frame.scanLine(y), 4 * std::size_t(head.Width));
  }
  return result;
}

// Child `job` of `jobs`: draws values job, job + jobs, ... and sends them down `fd`.
[[noreturn]] void RunChild(Drawing::TDrawingData& data, TPictures& pictures, const TSweepWork& work, int job, int fd) {
  try {
    for (std::size_t k = job; k < work.Values.size(); k += work.Jobs) {
      if (!SendResult(fd, DrawOne(data, pictures, work, static_cast<int>(k)))) ::_exit(1);
    }
  } catch (...) {
    ::_exit(1);
  }
  ::_exit(0);
}

struct TChild {
  pid_t Pid = -1;
  int Fd = -1;
};

void StopChildren(std::vector<TChild>& children, bool kill) {
  for (TChild& child : children) {
    if (child.Fd >= 0) ::close(child.Fd);
    if (child.Pid > 0) {
      if (kill) ::kill(child.Pid, SIGTERM);
      while (::waitpid(child.Pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
  }
  children.clear();
}

void RunInChildren(Drawing::TDrawingData& data, TPictures& pictures, const TSweepWork& work, const TSweepSink& sink) {
  std::vector<TChild> children;
  try {
    for (int job = 0; job < work.Jobs; ++job) {
      int ends[2];
      if (::pipe(ends) != 0) throw WendrixError(std::string("cannot start a drawing process: ") + std::strerror(errno));
      std::fflush(nullptr);
      const pid_t pid = ::fork();
      if (pid < 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        throw WendrixError(std::string("cannot start a drawing process: ") + std::strerror(errno));
      }
      if (pid == 0) {
        // Only its own write end stays open, so that the parent sees the end of a child that dies.
        ::close(ends[0]);
        for (const TChild& other : children) ::close(other.Fd);
        RunChild(data, pictures, work, job, ends[1]);
      }
      ::close(ends[1]);
      children.push_back({pid, ends[0]});
    }
    for (std::size_t k = 0; k < work.Values.size(); ++k) {
      const TResult result = ReceiveResult(children[k % work.Jobs].Fd, work.Values[k]);
      sink(static_cast<int>(k), result.Row, result.Frame);
    }
  } catch (...) {
    StopChildren(children, true);
    throw;
  }
  StopChildren(children, false);
}

}  // namespace

void RunSweepWork(Drawing::TDrawingData& data, TPictures& pictures, const TSweepWork& work, const TSweepSink& sink) {
  if (work.Jobs <= 1 || work.Values.size() <= 1) {
    for (std::size_t k = 0; k < work.Values.size(); ++k) {
      const TResult result = DrawOne(data, pictures, work, static_cast<int>(k));
      sink(static_cast<int>(k), result.Row, result.Frame);
    }
    return;
  }
  RunInChildren(data, pictures, work, sink);
}
