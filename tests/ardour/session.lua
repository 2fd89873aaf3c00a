-- A session with a track of noise into the reverb, two parameters set, saved:
--   ardour7-lua session.lua FOLDER NAME vst3|lv2
local dir, name, kind = arg[1], arg[2], arg[3]
AudioEngine:set_backend("None (Dummy)", "", "")
local s = create_session(dir, name, 44100)
assert(s, "no session")
local t = s:new_audio_track(2, 2, nil, 1, "T", ARDOUR.PresentationInfo.max_order,
                            ARDOUR.TrackMode.Normal, true):front()
-- Ardour's own noise generator: the same samples in every session.
t:add_processor_by_index(ARDOUR.LuaAPI.new_luaproc(s, "ACE Noise"), 0, nil, true)
local p
if kind == "vst3" then
  p = ARDOUR.LuaAPI.new_plugin(s, "565354424D4B53626D6B65737472656C", ARDOUR.PluginType.VST3, "")
else
  p = ARDOUR.LuaAPI.new_plugin(s, "urn:brightmoor:kestrel", ARDOUR.PluginType.LV2, "")
end
assert(not p:isnil(), "no plug-in")
t:add_processor_by_index(p, 1, nil, true)
ARDOUR.LuaAPI.set_processor_param(p, 8, 0.5)   -- Room Width
ARDOUR.LuaAPI.set_processor_param(p, 11, 0.25) -- Feedback
s:save_state("")
close_session()
print("session saved")
