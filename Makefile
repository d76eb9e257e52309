# Shortcuts for those who have make; build.sh works without it.
.PHONY: run test package
run:
	./build.sh run
test:
	./build.sh test
package:
	./build.sh package
