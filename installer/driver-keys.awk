# awk -f installer/driver-keys.awk com/QboxK4Driver.idl > DriverKeys.nsh (installer/package.sh)
# The keys the driver's registration writes, from its IDL: the class, the
# type library and every automation interface, whose keys registering the
# type library makes.
/uuid\(/         { id = $0; sub(/.*uuid\(/, "", id); sub(/\).*/, "", id); automation = 0 }
/version\(/      { version = $0; sub(/.*version\(/, "", version); sub(/\).*/, "", version) }
/oleautomation/  { automation = 1 }
/^[ \t]*interface[ \t]+[A-Za-z0-9_]+[ \t]*:/ && automation { interfaces = interfaces "  !insertmacro ${ACTION} \"{" id "}\"\n" }
/^[ \t]*library[ \t]/ { printf "!define LIBID \"{%s}\"\n!define LIBVERSION \"%s\"\n", id, version }
/^[ \t]*coclass[ \t]/ { printf "!define CLSID \"{%s}\"\n", id }
END { printf "!macro ForEachInterface ACTION\n%s!macroend\n", interfaces }
