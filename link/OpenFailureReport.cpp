#include "link/OpenFailureReport.h"

#include "link/LineFrame.h"
#include "link/LinkNotices.h"
#include "link/PortFactory.h"

namespace t8 {

namespace {

// What the port doctor finds at a device that did not open, set off below the message; the
// permission advice is in the message already.
std::string DoctorsFindings(const std::string& path, LinkErrorKind kind, const SystemRoots& roots) {
    if (path.empty() || !AddressScheme(path).empty() || kind == LinkErrorKind::None ||
        kind == LinkErrorKind::NoAddress || kind == LinkErrorKind::Unsupported ||
        kind == LinkErrorKind::Settings) {
        return {};
    }
    std::string text;
    for (const PortFinding& finding : PortDoctor(roots).Examine(path)) {
        if (finding.kind != PortFinding::Kind::Permission) {
            text += "\n\n" + finding.text;
        }
    }
    return text.empty() ? text : "\n\nThe port check found:" + text;
}

} // namespace

std::string OpenFailureReport(const std::string& name, const std::string& path,
                              const LineSettings& line, const LinkError& error,
                              const std::optional<SystemRoots>& roots) {
    const std::string frame = error.kind == LinkErrorKind::Settings ? FrameProblem(line) : "";
    std::string text = OpenFailureText(name, path, error, frame);
    return roots ? text + DoctorsFindings(path, error.kind, *roots) : text;
}

} // namespace t8
