#include "res/app_resources.h"

#include <vector>

#include "platform/ui/resources.h"
#include "res/embedded_resources.h"

void RegisterAppResources() {
    // The registry keeps pointing into the table, so it is never destroyed.
    static const auto* const table = [] {
        auto* entries = new std::vector<ui::ResourceEntry>;
        for (std::size_t i = 0; i < corvane_res::kEmbeddedResourceCount; ++i) {
            const corvane_res::EmbeddedResource& r = *corvane_res::kEmbeddedResources[i];
            entries->push_back(ui::ResourceEntry{r.id, r.data, r.size});
        }
        return entries;
    }();
    ui::RegisterResources(table->data(), table->size());
}
