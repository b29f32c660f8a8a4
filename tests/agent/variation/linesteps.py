# snmpsim variation module "linesteps": a line whose values move through a fixed series of steps.
#
# Loaded by run-sim (--variation-modules-dir). Two kinds of record use it:
#
#   OID|:linesteps|dir=moving/adsl,period=15   serves the subtree OID from dir/NN.snmprec, the
#                                              file of the current step (NN = 00, 01, ...)
#   OID|2:linesteps|steps=12,period=15         the control object: a Get answers the current
#                                              step, a SetRequest of an INTEGER 0..steps-1 picks it
#
# Until the first SetRequest the steps play by the clock, `period` seconds each, and repeat; from
# then on the step stays where it was set, so a test reads exactly the values it picked. The step
# is one for the whole agent: every subtree and every community using this module follow it.
#
# snmpsim's own multiplex module would do this, but it numbers its snapshots in directory-listing
# order, which differs between file systems.
import os
import time

from pysnmp.proto import rfc1902
from pyasn1.compat.octets import str2octs
from snmpsim import confdir
from snmpsim.mltsplit import split
from snmpsim.record.search.database import RecordIndex
from snmpsim.record.search.file import getRecord, searchRecordByOid
from snmpsim.record.snmprec import SnmprecRecord


def init(**context):
    moduleContext['started'] = time.time()
    moduleContext['chosen'] = None  # the step a SetRequest picked; None while playing


def current_step(count, period):
    if moduleContext['chosen'] is not None:
        return moduleContext['chosen'] % count
    return int((time.time() - moduleContext['started']) / period) % count


def settings(value):
    if 'settings' not in recordContext:
        recordContext['settings'] = dict(split(x, '=') for x in split(value, ','))
    return recordContext['settings']


def variate(oid, tag, value, **context):
    options = settings(value)
    if 'steps' in options:
        return control(oid, tag, options, context)
    return subtree(oid, tag, options, context)


def control(oid, tag, options, context):
    count, period = int(options['steps']), float(options.get('period', 15))
    if context['setFlag']:
        try:
            step = int(context['origValue'])
        except (TypeError, ValueError):
            return context['origOid'], tag, context['errorStatus']
        if not 0 <= step < count:
            return context['origOid'], tag, context['errorStatus']
        moduleContext['chosen'] = step
        return oid, tag, rfc1902.Integer32(step)
    if not context['nextFlag'] and not context['exactMatch']:
        return context['origOid'], tag, context['errorStatus']
    return oid, tag, rfc1902.Integer32(current_step(count, period))


def snapshots(options):
    if 'files' not in recordContext:
        folder = options['dir']
        for base in confdir.data:
            if os.path.isdir(os.path.join(base, folder)):
                folder = os.path.join(base, folder)
                break
        names = sorted((n for n in os.listdir(folder) if n.endswith('.snmprec')),
                       key=lambda n: int(n.split('.')[0]))
        recordContext['files'] = [os.path.join(folder, n) for n in names]
        recordContext['indices'] = {}
    return recordContext['files']


def subtree(oid, tag, options, context):
    if context['setFlag']:
        return context['origOid'], tag, context['errorStatus']
    files = snapshots(options)
    step = current_step(len(files), float(options.get('period', 15)))
    index = recordContext['indices'].get(step)
    if index is None:
        index = RecordIndex(files[step], SnmprecRecord()).create()
        recordContext['indices'][step] = index
    text, _ = index.getHandles()

    wanted = str(rfc1902.OctetString('.'.join(str(x) for x in context['origOid'])))
    try:
        offset = int(index.lookup(wanted).split(str2octs(','))[0])
        exact = True
    except KeyError:  # not in this step: the next record after it, if any
        offset = searchRecordByOid(context['origOid'], text, SnmprecRecord())
        exact = False
    text.seek(offset)
    line, _, _ = getRecord(text)
    if context['nextFlag'] and exact:
        line, _, _ = getRecord(text)
    elif not context['nextFlag'] and not exact:
        line = None
    if not line:  # missing at this step, or past its last object
        return context['origOid'], tag, context['errorStatus']
    found, value = SnmprecRecord().evaluate(line)
    return found, tag, value


def shutdown(**context):
    pass
