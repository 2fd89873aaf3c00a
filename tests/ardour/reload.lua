-- Opens a saved session again and prints the reverb's parameters:
--   ardour7-lua reload.lua FOLDER NAME
local dir, name = arg[1], arg[2]
AudioEngine:set_backend("None (Dummy)", "", "")
local s = load_session(dir, name)
assert(s, "no session")
local p = s:route_by_name("T"):nth_plugin(1)
local line = "values"
for i = 0, 13 do line = line .. " " .. string.format("%.6g", ARDOUR.LuaAPI.get_processor_param(p, i)) end
print(line)
close_session()
