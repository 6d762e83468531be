-- Removes what schema.sql and the routines made, for zolt init --force.
DROP VIEW IF EXISTS VFornecedor, VCliente, Infra_IDS CASCADE;
DROP TABLE IF EXISTS PEDIDO_ITEM, PEDIDO, PECA, PESSOA, Infra_IDS_Linha, Infra_Chave, Infra_Operacao CASCADE;
DROP OPERATOR IF EXISTS + (timestamp, integer);
DO $$
DECLARE
    routine regprocedure;
BEGIN
    FOR routine IN
        SELECT oid::regprocedure FROM pg_proc
         WHERE pronamespace = current_schema()::regnamespace
           AND (left(proname, 7) = 'sp_qbx_' OR proname IN ('getdate', 'infra_mais_dias', 'infra_inteiro'))
    LOOP
        EXECUTE 'DROP FUNCTION ' || routine::text;
    END LOOP;
END
$$;
