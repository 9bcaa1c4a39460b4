#include "platform/linux/bus/AgentBusProperties.h"

#include <string>

namespace quorvel::linux_backend {

namespace {

using platform::AgentStatus;

// Bus strings must be UTF-8; names and paths may not be.
GVariant* text(const std::string& value)
{
    const GCharPtr valid(g_utf8_make_valid(value.c_str(), -1));
    return g_variant_new_string(valid.get());
}

std::string textOf(GVariant* value) { return g_variant_get_string(value, nullptr); }

struct Property {
    const char* name;
    const char* type;
    GVariant* (*encode)(const AgentStatus&);
    void (*decode)(GVariant*, AgentStatus&);
};

// clang-format off
const Property properties[] = {
    {"IsRunning", "b",
     [](const AgentStatus& s) { return g_variant_new_boolean(s.isRunning); },
     [](GVariant* v, AgentStatus& s) { s.isRunning = g_variant_get_boolean(v); }},
    {"StatusMessage", "s",
     [](const AgentStatus& s) { return text(s.statusMessage); },
     [](GVariant* v, AgentStatus& s) { s.statusMessage = textOf(v); }},
    // No gesture yet: empty names and time 0.
    {"LastGesture", "(sst)",
     [](const AgentStatus& s) {
         const platform::PublishedGesture none;
         const auto& gesture = s.lastGesture ? *s.lastGesture : none;
         GVariant* fields[] = {text(gesture.corner), text(gesture.pattern),
                               g_variant_new_uint64(static_cast<guint64>(gesture.deliveredAtMicroseconds))};
         return g_variant_new_tuple(fields, 3);
     },
     [](GVariant* v, AgentStatus& s) {
         const gchar* corner = nullptr;
         const gchar* pattern = nullptr;
         guint64 time = 0;
         g_variant_get(v, "(&s&st)", &corner, &pattern, &time);
         s.lastGesture.reset();
         if (*corner != '\0') {
             s.lastGesture = platform::PublishedGesture{corner, pattern, static_cast<std::int64_t>(time)};
         }
     }},
    {"GestureEventID", "s",
     [](const AgentStatus& s) { return text(s.gestureEventID); },
     [](GVariant* v, AgentStatus& s) { s.gestureEventID = textOf(v); }},
    {"ConfigurationFile", "s",
     [](const AgentStatus& s) { return text(s.configurationFile); },
     [](GVariant* v, AgentStatus& s) { s.configurationFile = textOf(v); }},
    {"ConfigurationInForce", "s",
     [](const AgentStatus& s) { return text(s.configurationInForce); },
     [](GVariant* v, AgentStatus& s) { s.configurationInForce = textOf(v); }},
    {"ConfigurationProblem", "s",
     [](const AgentStatus& s) { return text(s.configurationProblem); },
     [](GVariant* v, AgentStatus& s) { s.configurationProblem = textOf(v); }},
    {"Touchpads", "a(ss)",
     [](const AgentStatus& s) {
         GVariantBuilder list;
         g_variant_builder_init(&list, G_VARIANT_TYPE("a(ss)"));
         for (const auto& touchpad : s.touchpads) {
             GVariant* fields[] = {text(touchpad.name), text(touchpad.node)};
             g_variant_builder_add_value(&list, g_variant_new_tuple(fields, 2));
         }
         return g_variant_builder_end(&list);
     },
     [](GVariant* v, AgentStatus& s) {
         s.touchpads.clear();
         GVariantIter iterator;
         g_variant_iter_init(&iterator, v);
         const gchar* name = nullptr;
         const gchar* node = nullptr;
         while (g_variant_iter_next(&iterator, "(&s&s)", &name, &node)) s.touchpads.push_back({name, node});
     }},
    {"ActionsSuppressed", "b",
     [](const AgentStatus& s) { return g_variant_new_boolean(s.actionsSuppressed); },
     [](GVariant* v, AgentStatus& s) { s.actionsSuppressed = g_variant_get_boolean(v); }},
};
// clang-format on

const Property* find(std::string_view name)
{
    for (const Property& property : properties) {
        if (name == property.name) return &property;
    }
    return nullptr;
}

}  // namespace

GVariant* agentPropertyValue(const AgentStatus& status, std::string_view name)
{
    const Property* property = find(name);
    return property ? property->encode(status) : nullptr;
}

GVariantPtr changedAgentProperties(const AgentStatus& before, const AgentStatus& now)
{
    GVariantBuilder changes;
    g_variant_builder_init(&changes, G_VARIANT_TYPE("a{sv}"));
    bool any = false;
    for (const Property& property : properties) {
        const GVariantPtr old(g_variant_ref_sink(property.encode(before)));
        GVariant* value = property.encode(now);
        g_variant_ref_sink(value);
        if (!g_variant_equal(old.get(), value)) {
            g_variant_builder_add(&changes, "{sv}", property.name, value);
            any = true;
        }
        g_variant_unref(value);
    }
    GVariantPtr dictionary(g_variant_ref_sink(g_variant_builder_end(&changes)));
    return any ? std::move(dictionary) : nullptr;
}

void readAgentProperties(GVariant* dictionary, AgentStatus& status)
{
    GVariantIter iterator;
    g_variant_iter_init(&iterator, dictionary);
    const gchar* name = nullptr;
    GVariant* value = nullptr;
    while (g_variant_iter_next(&iterator, "{&sv}", &name, &value)) {
        const GVariantPtr owned(value);
        const Property* property = find(name);
        if (property && g_variant_is_of_type(value, G_VARIANT_TYPE(property->type))) property->decode(value, status);
    }
}

}  // namespace quorvel::linux_backend
