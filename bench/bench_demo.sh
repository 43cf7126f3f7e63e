# Sourced by the benchmark scripts: the demo data set they measure on,
# generated once into BUILD_DIR/bench-demo by the build's own generator.
bench_demo_folder() {
    local demo=$1/bench-demo
    if [ ! -f "$demo/demo.log" ]; then
        "$1/tools/demo_data/flightreplay-demo-data" "$demo" > /dev/null
    fi
    echo "$demo"
}
