#pragma once

#include "service/SoftwareCatalogue.h"
#include "controls/AutoComplete.h"

#include <vector>

// Completion over the software catalogue: matches by display text, no minimum
// length; each listed item's data is the address of a SoftwareEntry in `results`.
class AutoCompleteSoftware : public AutoComplete {
  public:
    explicit AutoCompleteSoftware(
        const SoftwareCatalogue& catalogue = SoftwareCatalogue::instance())
        : software(catalogue) {}

    void search(const String& text) override;
    int count() override { return static_cast<int>(results.size()); }
    String text(int index) override;
    const void* item(int index) override;
    void clear() override;

    std::vector<SoftwareEntry> results;

  private:
    const SoftwareCatalogue& software;
};
