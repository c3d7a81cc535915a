#pragma once

#include "automation/automation_object.h"

// "JRO.JetEngine": CompactDatabase(source, destination), both connection
// strings, writes a compacted copy of the source database to a new file and
// syncs it to the disk. The source is only read; the destination must not
// exist, and nothing is left there when the compaction fails.
class TJroJetEngine : public TAutomationObject {
public:
    std::string_view ClassName() const override { return "JetEngine"; }
    const TMemberTable& Members() const override;

private:
    TVariant CompactDatabase(const TArgs& args);
};
