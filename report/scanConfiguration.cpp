#include "kesp/report/scanConfiguration.h"

#include <algorithm>

namespace kesp {

namespace {

std::size_t itemOrder(const ScanItem* item)
{
    const std::span<const ScanItem> items = scanItems();
    return static_cast<std::size_t>(item - items.data());
}

void sortByItem(std::vector<ScanSetting>& settings)
{
    std::stable_sort(settings.begin(), settings.end(), [](const ScanSetting& a, const ScanSetting& b) {
        return itemOrder(a.item) < itemOrder(b.item);
    });
}

}  // namespace

Configuration configurationAt(const ScanDefinition& scan, std::size_t index)
{
    Configuration configuration;
    configuration.index = index;
    configuration.settings = scan.fixed;
    configuration.varied.resize(scan.vary.size());
    std::size_t rest = index;
    for (std::size_t k = scan.vary.size(); k-- > 0;) {
        const ScanAxis& axis = scan.vary[k];
        const ScanValue& value = axis.values[rest % axis.values.size()];
        rest /= axis.values.size();
        configuration.settings.push_back({axis.item, value});
        configuration.varied[k] = value.text;
    }
    sortByItem(configuration.settings);
    return configuration;
}

std::vector<Configuration> allConfigurations(const ScanDefinition& scan)
{
    std::size_t count = 1;
    for (const ScanAxis& axis : scan.vary) {
        count *= axis.values.size();
    }
    std::vector<Configuration> configurations;
    configurations.reserve(count);
    for (std::size_t index = 0; index < count; ++index) {
        configurations.push_back(configurationAt(scan, index));
    }
    return configurations;
}

Configuration referenceFor(const ScanDefinition& scan, const Configuration& configuration)
{
    Configuration reference = configuration;
    std::erase_if(reference.settings, [](const ScanSetting& setting) { return describesRadiation(*setting.item); });
    reference.settings.insert(reference.settings.end(), scan.reference.begin(), scan.reference.end());
    sortByItem(reference.settings);
    return reference;
}

std::string describeConfiguration(const ScanDefinition& scan, const Configuration& configuration)
{
    std::string text;
    const auto add = [&text](const ScanItem& item, const std::string& value) {
        text += (text.empty() ? "" : " ") + std::string(item.name) + "=" + value;
    };
    if (scan.vary.empty()) {
        for (const ScanSetting& setting : configuration.settings) {
            add(*setting.item, setting.value.text);
        }
    }
    for (std::size_t k = 0; k < scan.vary.size(); ++k) {
        add(*scan.vary[k].item, configuration.varied[k]);
    }
    return text;
}

std::string inputText(const Configuration& configuration, const std::string& heading,
                      const std::function<std::string(const ScanValue&)>& fieldFileText)
{
    std::string text = heading + "\n";
    std::string line;
    const ScanItem* previous = nullptr;
    for (const ScanSetting& setting : configuration.settings) {
        if (previous == nullptr || previous->block != setting.item->block) {
            if (!line.empty()) {
                text += line + "\n";
            }
            line = std::string(blockKey(setting.item->block));
        }
        const std::string value =
            setting.item->value == ItemValue::fieldFile ? fieldFileText(setting.value) : setting.value.text;
        line += " " + std::string(setting.item->name) + "=" + value;
        previous = setting.item;
    }
    if (!line.empty()) {
        text += line + "\n";
    }
    return text;
}

std::string switchText(const ScanDefinition& scan)
{
    std::string text;
    for (const std::string& word : scan.switches) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

}  // namespace kesp
