-- wrk script for bench/service-load.sh. LOTSE_LOAD_MODE selects the request:
--   count   POST getticketcnt.php with "code=..."
--   create  POST createticket.php with a document as the program sends it, a
--           new question each time
--   tickets POST gettickets.php with "code=..."
--   zipped  the same, accepting gzip as Lotse does (Accept-Encoding: gzip)
--   hello   POST /hello of the hello ceiling (lotse-service-ceilings)
--   big     GET /big of the hello ceiling, its fixed large body
-- Replies other than the expected ones are counted and reported at the end
-- (the large replies by status only: handing megabytes to Lua costs wrk more
-- than the service).

local mode = os.getenv("LOTSE_LOAD_MODE") or "count"
local code = os.getenv("LOTSE_ACCESS_CODE") or ""
local headers = { ["Content-Type"] = "application/x-www-form-urlencoded; charset=utf-8" }
local zippedHeaders = { ["Content-Type"] = headers["Content-Type"], ["Accept-Encoding"] = "gzip" }

-- The program's percent-encoding: these 26 characters, nothing else.
local escapes = {}
for c in ("$&+,/:;=?@ \"<#%{}|\\^~[]`\n>"):gmatch(".") do
    escapes[c] = string.format("%%%02X", c:byte())
end
local function encode(text)
    return (text:gsub(".", function(c) return escapes[c] end))
end

local counter = 0
local threads = {}

function setup(thread)
    thread:set("id", #threads)
    table.insert(threads, thread)
end

function init(args)
    failures = 0
    counter = 0
end

-- The document around the question's numbers, percent-encoded once: encoding
-- every character of every request in Lua would cost wrk more of the two cores
-- than the service spends on the request.
local before, after
local function ticketDocument()
    -- Members in key order, as the program writes them.
    local members = {
        { "code", code }, { "hw_guid", "{0badc0de-0000-4000-8000-00000000" .. string.format("%04d", id) .. "}" },
        { "id_locale", "1" }, { "os_build_no", "19045" }, { "os_description", "Windows 10 Pro" },
        { "os_id_platform", "2" }, { "os_major", "6" }, { "os_minor", "2" },
        { "question", "\0" }, { "sw_file_desc", "Microsoft Excel" },
        { "sw_file_version", "16.0" }, { "sw_file_version_full", "16.0.17328.20162" },
        { "sw_id", "6" }, { "sw_id_locale", "1" }, { "sw_module_name", "excel.exe" },
        { "sw_product_name", "Microsoft Office" }, { "username", "last" },
    }
    local parts = {}
    for _, m in ipairs(members) do
        table.insert(parts, string.format('"%s":"%s"', m[1], m[2]))
    end
    local document = "{" .. table.concat(parts, ",") .. "}"
    local at = document:find("\0", 1, true)
    before = "content=" .. encode(document:sub(1, at - 1) .. "Lastprobe ")
    after = encode(": Wie füge ich eine Zeile ein?" .. document:sub(at + 1))
end

function request()
    if mode == "create" then
        if not before then
            ticketDocument()
        end
        counter = counter + 1
        -- Only the numbers change, and digits and "-" are never encoded.
        return wrk.format("POST", "/createticket.php", headers,
            before .. id .. "-" .. counter .. after)
    end
    if mode == "tickets" then
        return wrk.format("POST", "/gettickets.php", headers, "code=" .. code)
    elseif mode == "zipped" then
        return wrk.format("POST", "/gettickets.php", zippedHeaders, "code=" .. code)
    elseif mode == "hello" then
        return wrk.format("POST", "/hello", headers, "code=" .. code)
    elseif mode == "big" then
        return wrk.format("GET", "/big")
    end
    return wrk.format("POST", "/getticketcnt.php", headers, "code=" .. code)
end

if mode == "count" or mode == "create" or mode == "hello" then
    function response(status, headers, body)
        if status ~= 200 then
            failures = failures + 1
        elseif (mode == "create" or mode == "hello") and body ~= "OK" then
            failures = failures + 1
        elseif mode == "count" and not body:find('"total"', 1, true) then
            failures = failures + 1
        end
    end
end

function done(summary, latency, requests)
    local failed = 0
    for _, thread in ipairs(threads) do
        failed = failed + (thread:get("failures") or 0)
    end
    -- Without a response function wrk still counts statuses other than 2xx/3xx.
    if not response then
        failed = failed + summary.errors.status
    end
    io.write(string.format("%s: %d requests, %.0f requests/s, %d unexpected replies, " ..
        "latency p50 %.2f ms, p99 %.2f ms, %.1f MB/s\n", mode, summary.requests,
        summary.requests / (summary.duration / 1e6), failed,
        latency:percentile(50) / 1000, latency:percentile(99) / 1000,
        summary.bytes / (summary.duration / 1e6) / 1e6))
end
