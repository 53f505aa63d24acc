# Two commands for a fresh Debian 12 machine:
#   make run    installs what is missing, builds and starts the program on an example model;
#               without a display it runs the example through the batch mode instead, with
#               the forward modelling and pictures of the model and the data
#   make test   installs what is missing, builds and runs every test
BUILD ?= build
JOBS ?= $(shell nproc)
# Extra CMake settings, e.g. CMAKE_FLAGS=-DVMM_WERROR=ON as CI builds.
CMAKE_FLAGS ?=
# The example is copied into a folder of its own, as every file of a run goes beside the model.
EXAMPLE ?= examples/every-shape.model
RUN_DIR ?= $(BUILD)/example-run
RUN_MODEL = $(RUN_DIR)/$(notdir $(EXAMPLE))

.PHONY: run test build deps clean

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@mkdir -p $(RUN_DIR)
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  cp -n $(EXAMPLE) $(RUN_DIR)/; \
	  echo "Opening $(RUN_MODEL)"; \
	  $(BUILD)/bin/velquor-model-maker $(RUN_MODEL); \
	else \
	  cp $(EXAMPLE) $(RUN_DIR)/ && rm -f $(RUN_DIR)/*.png; \
	  echo "No display: running $(EXAMPLE) through the batch mode in $(RUN_DIR)/"; \
	  $(BUILD)/bin/velquor-model-maker --batch $(RUN_MODEL) --fwd ip --forward \
	    --png $(RUN_DIR)/$(basename $(notdir $(EXAMPLE))); \
	  status=$$?; \
	  echo; \
	  echo "Pictures of the discretized model and of the predicted data:"; \
	  ls -1 $(RUN_DIR)/*.png 2>/dev/null | sed 's/^/  /'; \
	  echo "The model, mesh, data and log files are beside them in $(RUN_DIR)/"; \
	  exit $$status; \
	fi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) build-asan
