#!/usr/bin/env python3
"""Reads an iCalendar file with the icalendar package and prints what a calendar program would take
from it: one line for the calendar, one per time zone and one per event, fields separated by " | ".
Texts are printed as JSON strings so a line break in one stays on its line."""
import json
import sys

import icalendar


def text(value):
    return json.dumps(str(value), ensure_ascii=False)


def start(prop):
    value = prop.dt
    if "TZID" not in prop.params:
        return value.isoformat()
    # The offset shows that the zone's definition was found and read, not just its name.
    return "%s TZID=%s" % (value.isoformat(), prop.params["TZID"])


def main(path):
    with open(path, "rb") as f:
        calendar = icalendar.Calendar.from_ical(f.read())
    print("CALENDAR | %s | %s" % (calendar["PRODID"], calendar["VERSION"]))
    for zone in calendar.walk("VTIMEZONE"):
        print("VTIMEZONE | %s | %s" % (zone["TZID"], zone.get("X-LIC-LOCATION", "")))
    for event in calendar.walk("VEVENT"):
        fields = [str(event["UID"]), text(event["SUMMARY"]), start(event["DTSTART"])]
        rrule = event.get("RRULE")
        fields.append(rrule.to_ical().decode() if rrule is not None else "-")
        ends = [name for name in ("DTEND", "DURATION") if name in event]
        fields.append(",".join("%s=%s" % (n, event[n].to_ical().decode()) for n in ends) or "no end")
        for alarm in event.walk("VALARM"):
            trigger = alarm["TRIGGER"]
            fields.append("%s TRIGGER;RELATED=%s:%s %s" % (
                alarm["ACTION"], trigger.params.get("RELATED", "-"), trigger.to_ical().decode(),
                text(alarm["DESCRIPTION"])))
        print(" | ".join(fields))


if __name__ == "__main__":
    main(sys.argv[1])
