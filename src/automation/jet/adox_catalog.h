#pragma once

#include "automation/automation_object.h"

// "ADOX.Catalog": Create(connection string) makes a new, empty database file;
// it refuses when a file is already there.
class TAdoxCatalog : public TAutomationObject {
public:
    std::string_view ClassName() const override { return "Catalog"; }
    const TMemberTable& Members() const override;

private:
    TVariant Create(const TArgs& args);
};
