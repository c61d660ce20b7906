#!/bin/sh
# Ports 8080 and 8005 belong to one test at a time, also across build folders
# and concurrent test runs: every test that starts the real server runs here.
exec flock /tmp/brewdeck-tomcat-ports.lock "$@"
