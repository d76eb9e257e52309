# Shortcuts for those who have make; build.sh works without it.
.PHONY: run test package check-package check-windows check-sanitize fuzz bench
run:
	./build.sh run
test:
	./build.sh test
package:
	./build.sh package
check-package:
	./build.sh check-package
check-windows:
	./build.sh check-windows
check-sanitize:
	./build.sh check-sanitize
# make fuzz SECONDS=1800 fuzzes longer.
fuzz:
	./build.sh fuzz $(SECONDS)
bench:
	./build.sh bench
