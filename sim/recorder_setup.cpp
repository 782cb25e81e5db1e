#include "sim/recorder_setup.h"

#include "sim/replies.h"
#include "sim/upload.h"

namespace tidora::sim {
namespace {

// A reply as sent, less the command's echo line in front and the prompt at the end.
std::string Body(std::string reply, const std::string& command) {
  std::string head = command + "\r\n";
  if (reply.rfind(head, 0) == 0) reply.erase(0, head.size());
  if (reply.size() >= 2 && reply.compare(reply.size() - 2, 2, "S>") == 0)
    reply.resize(reply.size() - 2);
  return reply;
}

}  // namespace

RecorderSetup SetupFor(const Deployment& d, const RecorderFaults& faults, bool logging) {
  RecorderSetup r;
  switch (d.options.family) {
    case Family::kTgr41:
      r.family = RecorderFamily::kTgr41;
      break;
    case Family::kTgr41plus:
      r.family = RecorderFamily::kTgr41plus;
      break;
    case Family::kTgr77Bpr:
      r.family = RecorderFamily::kTgr77Bpr;
      break;
  }
  r.statusReply = Body(StatusReply(d), "DS");
  if (logging) {
    size_t at = r.statusReply.find("logdata = NO");
    if (at != std::string::npos) r.statusReply.replace(at, 12, "logdata = YES");
  }
  r.coefficientReply = Body(CoefficientReply(d), "DC");
  r.image = BuildMemoryImage(d);
  std::string text = ImageToHexLines(r.image.data(), r.image.size(), LayoutOf(d));
  size_t pos = text.find("\r\n");
  pos = pos == std::string::npos ? text.size() : pos + 2;  // after "DD"
  for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
    r.dumpLines.push_back(text.substr(pos, end - pos));
  r.faults = faults;
  return r;
}

}  // namespace tidora::sim
