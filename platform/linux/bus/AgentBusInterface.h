#pragma once

// How the agent appears on the session bus: the name it owns, its one object and interface.
namespace quorvel::linux_backend::agent_bus {

inline constexpr const char* busName = "org.quorvel.Helper";
inline constexpr const char* objectPath = "/org/quorvel/Helper";
inline constexpr const char* interfaceName = "org.quorvel.Helper1";
inline constexpr const char* reloadMethod = "Reload";

// Read-only properties, each announced with PropertiesChanged when it changes. Nothing here
// performs an action: Reload only reads the configuration file again.
inline constexpr const char* introspection = R"xml(<node>
  <interface name="org.quorvel.Helper1">
    <method name="Reload"/>
    <property name="IsRunning" type="b" access="read"/>
    <property name="StatusMessage" type="s" access="read"/>
    <property name="LastGesture" type="(sst)" access="read"/>
    <property name="GestureEventID" type="s" access="read"/>
    <property name="ConfigurationFile" type="s" access="read"/>
    <property name="ConfigurationInForce" type="s" access="read"/>
    <property name="ConfigurationProblem" type="s" access="read"/>
    <property name="Touchpads" type="a(ss)" access="read"/>
    <property name="ActionsSuppressed" type="b" access="read"/>
  </interface>
</node>)xml";

}  // namespace quorvel::linux_backend::agent_bus
