// A client we did not write, the npm package "onvif", against the simulated cameras: it
// discovers them on one interface, connects to each (clock, services) and reads its device
// information and network interfaces with WS-Security, then the first camera again with HTTP
// Digest alone. Prints one JSON array: one object per camera, with what it read or its error.
//   node onvif_npm_client.js INTERFACE USER PASSWORD
'use strict';
const onvif = require('onvif');

const [device, username, password] = process.argv.slice(2);

function read(cam, done) {
    cam.connect((error) => {
        if (error) {
            return done({error: String(error)});
        }
        cam.getDeviceInformation((error, information) => {
            if (error) {
                return done({error: String(error)});
            }
            cam.getNetworkInterfaces((error, interfaces) => {
                done(error ? {error: String(error)} : {information, interfaces});
            });
        });
    });
}

onvif.Discovery.on('error', () => {});  // answers of other responders: not ours to judge
onvif.Discovery.probe({timeout: 1500, device}, (errors, cams) => {
    const results = [];
    let left = cams.length;
    if (left === 0) {
        console.log(JSON.stringify({errors: String(errors), cameras: []}));
        return;
    }
    cams.forEach((cam) => {
        cam.username = username;
        cam.password = password;
        read(cam, (result) => {
            results.push(Object.assign({hostname: cam.hostname, port: cam.port}, result));
            if (--left > 0) {
                return;
            }
            const first = cams[0];
            const digestOnly = new onvif.Cam({hostname: first.hostname, port: first.port,
                                              username, password, useWSSecurity: false,
                                              autoconnect: false});
            read(digestOnly, (digest) => {
                console.log(JSON.stringify({cameras: results, digestOnly: digest,
                                            digestPort: first.port}));
            });
        });
    });
});
