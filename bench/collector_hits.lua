-- wrk script for the collector's ingestion benchmark: real hit bodies, one
-- installation's hits in the order the library sends them, a new session
-- id for every installation, a client id out of 5000 machines.
local counter = 0
local threads = 0

function setup(thread)
  threads = threads + 1
  thread:set("thread_id", threads)
end

local templates = {
  "t=lifecycle&lc=start",
  "t=screenview&lb=WelcomeDlg",
  "t=property&lb=VersionNT&val=603",
  "t=property&lb=VersionNT64&val=603",
  "t=property&lb=PhysicalMemory&val=16384",
  "t=property&lb=VersionMsi&val=5.00",
  "t=property&lb=UILevel&val=5",
  "t=property&lb=MsiNTProductType&val=1",
  "t=property&lb=ProductLanguage&val=1033",
  "t=property&lb=ScreenResolution&val=1920x1080",
  "t=property&lb=UserLanguage&val=en-US",
  "t=property&lb=DpiScale&val=96",
  "t=installtype&val=install",
  "t=property&lb=INSTALLLEVEL&val=1",
  "t=property&lb=ADDLOCAL&val=Main,Docs",
  "t=screenview&lb=LicenseAgreementDlg",
  "t=screenview&lb=VerifyReadyDlg",
  "t=exception&exd=InstallFiles&exdt=Error 1310. Error writing to file: C:\\Program Files\\Vorsant\\vorsant.exe&exf=0",
  "t=lifecycle&lc=end&ls=success",
}

local headers = {
  ["Content-Type"] = "application/x-www-form-urlencoded; charset=utf-8",
  ["User-Agent"] = "OrvexAnalytics/1.0 (Microsoft Windows NT 10.0.19045 ; x64)",
}

function request()
  local install = math.floor(counter / #templates)
  local hit = templates[counter % #templates + 1]
  counter = counter + 1
  local sid = string.format("{%08X-0000-4000-8000-%012X}", thread_id or 0, install)
  local cid = string.format("%040X", (install * 7919) % 5000)
  local body = "v=2&aid=Vorsant&av=6.1.0&cid=" .. cid .. "&sid=" .. sid .. "&" .. hit .. "&qt=" .. (#templates - counter % #templates)
  return wrk.format("POST", "/", headers, body)
end

local non204 = 0
function response(status, headers, body)
  if status ~= 204 then non204 = non204 + 1 end
end
